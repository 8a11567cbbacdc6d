#pragma once

#include <QCommandLineParser>
#include <QTextStream>

// Parses a command's own options; on a mistake writes the reason and the usage
// to `err` and returns false. Positional arguments are a mistake.
bool parseCommandOptions(QCommandLineParser& parser, const char* command, const QStringList& args,
                         QTextStream& err);
