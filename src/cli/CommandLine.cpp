#include "cli/CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>

int runCommandLine(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillfire"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLFIRE_VERSION));
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--version"))) {
        out << "quillfire " << QUILLFIRE_VERSION << Qt::endl;
        return 0;
    }
    out << "Usage: quillfire [command]" << Qt::endl;
    return args.contains(QStringLiteral("--help")) ? 0 : 1;
}
