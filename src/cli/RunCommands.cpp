#include "cli/RunCommands.h"

#include "cli/Command.h"
#include "cli/CommandOptions.h"
#include "cli/ModelSession.h"
#include "cli/RunWait.h"

#include <QEventLoop>

namespace {

const QCommandLineOption yesOption(QStringLiteral("yes"));

int startRun(const char* name, const QStringList& args, QTextStream& err, bool forceGame,
             bool launch) {
    QCommandLineParser parser;
    if (!parseCommandOptions(parser, name, args, err))
        return ExitCode::usage;
    ModelSession session(false);
    if (!session.claimFolders(err))
        return ExitCode::failure;
    session.model().start(forceGame, launch);
    return awaitRun(session.model(), err);
}

// --yes answers the question in advance; otherwise it is asked on the terminal.
std::optional<bool> parseYes(const char* name, const QStringList& args, QTextStream& err) {
    QCommandLineParser parser;
    parser.addOption(yesOption);
    if (!parseCommandOptions(parser, name, args, err))
        return std::nullopt;
    return parser.isSet(yesOption);
}

} // namespace

int runPlay(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("play", args, err, false, true);
}

int runSetup(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("setup", args, err, false, false);
}

int runUpdate(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("update", args, err, true, false);
}

int runReinstall(const QStringList& args, QTextStream&, QTextStream& err) {
    const auto yes = parseYes("reinstall", args, err);
    if (!yes)
        return ExitCode::usage;
    ModelSession session(*yes);
    if (!session.claimFolders(err))
        return ExitCode::failure;
    session.model().reinstall();
    return awaitRun(session.model(), err);
}

int runRemove(const QStringList& args, QTextStream& out, QTextStream& err) {
    const auto yes = parseYes("remove", args, err);
    if (!yes)
        return ExitCode::usage;
    ModelSession session(*yes);
    if (!session.claimFolders(err))
        return ExitCode::failure;
    AppModel& model = session.model();
    if (model.isWorking())
        return ExitCode::failure;
    bool removed = false;
    QEventLoop loop;
    QObject::connect(&model, &AppModel::removalFinished, &loop, [&](bool done) {
        removed = done;
        loop.quit();
    });
    model.removeEverything();
    loop.exec();
    out << (removed ? "Removed the game and the engine. Saved games are kept.\n"
                    : "Nothing removed.\n");
    return ExitCode::ok;
}
