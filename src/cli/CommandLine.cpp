#include "cli/CommandLine.h"

#include "cli/Command.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>

namespace {

// Starting the game fits its window to the screen, so those commands connect to
// the display when there is one; the others never need it.
bool wantsScreen(int argc, char** argv) {
    if (argc < 2)
        return false;
    const QByteArray command(argv[1]);
    const bool launches = command == "play" || command == "reinstall";
    return launches &&
           (qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"));
}

} // namespace

int runCommandLine(int argc, char** argv) {
    std::unique_ptr<QCoreApplication> app;
    if (wantsScreen(argc, argv))
        app = std::make_unique<QGuiApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillfire"));
    QCoreApplication::setApplicationName(QStringLiteral("quillfire"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLFIRE_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return dispatch(QCoreApplication::arguments().mid(1), out, err);
}
