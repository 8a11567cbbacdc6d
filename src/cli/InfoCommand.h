#pragma once

#include <QStringList>
#include <QTextStream>

// `quillfire info [--json] [--game DIR]`: what the game is, read from disk.
int runInfo(const QStringList& args, QTextStream& out, QTextStream& err);
