#pragma once

#include <QStringList>
#include <QTextStream>

// `quillfire settings [--fullscreen | --windowed] [--resolution WxH | fit] [--graphics KIND]`:
// changes the window and graphics options when given, then prints them.
int runSettings(const QStringList& args, QTextStream& out, QTextStream& err);
