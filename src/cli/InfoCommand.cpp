#include "cli/InfoCommand.h"

#include "cli/Command.h"
#include "cli/CommandOptions.h"
#include "cli/InfoReport.h"
#include "cli/RunWait.h"
#include "download/UpdateCheck.h"
#include "project/ProjectInspector.h"
#include "support/Paths.h"

#include <QDir>
#include <QJsonDocument>

namespace {

// The answer is part of the report, so here it is waited for (the check's own limit, 5 s).
std::optional<bool> askForUpdate(const InstalledVersion& installed) {
    UpdateCheck check;
    return awaitSignal(check, &UpdateCheck::answered, [&] { check.start(installed); });
}

} // namespace

int runInfo(const QStringList& args, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption game(QStringLiteral("game"), QString(), QStringLiteral("DIR"));
    parser.addOptions({json, game});
    if (!parseCommandOptions(parser, "info", args, err))
        return ExitCode::usage;

    const bool installed = !parser.isSet(game);
    const QString folder =
        installed ? Paths::gameFolder() : QDir(parser.value(game)).absolutePath();
    const std::optional<QString> projectDir = ProjectInspector::findProject(folder);
    if (!projectDir) {
        if (installed)
            err << "The game is not downloaded yet: no Godot project in " << folder << ".\n";
        else
            err << "No Godot project in " << folder << " or up to three folders below it.\n";
        return ExitCode::failure;
    }

    GameInfo info = ProjectInspector::inspect(*projectDir);
    if (installed)
        info.installed = InstalledVersion::read(folder);
    const std::optional<bool> newer = info.installed ? askForUpdate(*info.installed) : std::nullopt;
    if (parser.isSet(json))
        out << QJsonDocument(infoJson(info, newer, hostPlatform())).toJson(QJsonDocument::Indented);
    else
        out << infoText(info, newer, hostPlatform());
    return ExitCode::ok;
}
