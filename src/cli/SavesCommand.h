#pragma once

#include <QStringList>
#include <QTextStream>

// `quillfire saves [--restore N]`: the backups of the saved games, or a restore of one.
int runSaves(const QStringList& args, QTextStream& out, QTextStream& err);
