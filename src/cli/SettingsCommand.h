#pragma once

#include <QStringList>
#include <QTextStream>

// `quillfire settings [--fullscreen | --windowed] [--resolution WxH | --resolution fit]`:
// changes the window options when given, then prints them.
int runSettings(const QStringList& args, QTextStream& out, QTextStream& err);
