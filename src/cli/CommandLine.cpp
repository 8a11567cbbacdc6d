#include "cli/CommandLine.h"

#include "cli/Command.h"

#include <QCoreApplication>
#include <QTextStream>

int runCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillfire"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLFIRE_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return dispatch(QCoreApplication::arguments().mid(1), out, err);
}
