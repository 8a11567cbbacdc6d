#include "cli/CommandLine.h"

#include "cli/Command.h"
#include "cli/DisplayProbe.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

// Starting the game fits its window to the screen, so those commands connect to
// the display when one answers; the others never need it.
QByteArray screenPlatform(int argc, char** argv) {
    if (argc < 2)
        return {};
    const QByteArray command(argv[1]);
    const bool launches = command == "play" || command == "reinstall";
    return launches ? answeringDisplayPlatform() : QByteArray();
}

} // namespace

int runCommandLine(int argc, char** argv) {
    QByteArray platform = screenPlatform(argc, argv);
    QByteArray platformOption("-platform");
    // Qt takes its own options out of the arguments, so the commands never see these two.
    std::vector<char*> arguments(argv, argv + argc);
    if (!platform.isEmpty())
        arguments.insert(arguments.begin() + 1, {platformOption.data(), platform.data()});
    arguments.push_back(nullptr);
    int count = static_cast<int>(arguments.size()) - 1;
    std::unique_ptr<QCoreApplication> app;
    if (platform.isEmpty())
        app = std::make_unique<QCoreApplication>(count, arguments.data());
    else
        app = std::make_unique<QGuiApplication>(count, arguments.data());
    QCoreApplication::setOrganizationName(QStringLiteral("Quillfire"));
    QCoreApplication::setApplicationName(QStringLiteral("quillfire"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLFIRE_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return dispatch(QCoreApplication::arguments().mid(1), out, err);
}
