#include "cli/RunCommands.h"

#include "cli/Command.h"
#include "cli/CommandOptions.h"
#include "cli/ModelSession.h"
#include "cli/RunWait.h"
#include "cli/TerminalPrompts.h"

#include <functional>

namespace {

const QCommandLineOption yesOption(QStringLiteral("yes"));

// Runs `act` on a model that holds the launcher's folders; status 1 while another has them.
int withClaimedModel(bool assumeYes, QTextStream& err, const std::function<int(AppModel&)>& act) {
    ModelSession session(assumeYes);
    if (!session.claimFolders(err))
        return ExitCode::failure;
    return act(session.model());
}

const QCommandLineOption againOption(QStringLiteral("again"));

int startRun(const char* name, const QStringList& args, QTextStream& err, RunRequest request,
             bool offersAgain = false) {
    QCommandLineParser parser;
    if (offersAgain)
        parser.addOption(againOption);
    if (!parseCommandOptions(parser, name, args, err))
        return ExitCode::usage;
    return withClaimedModel(false, err, [&](AppModel& model) {
        if (offersAgain && parser.isSet(againOption))
            GameRunner::forgetImport();
        model.start(request);
        return awaitRun(model, err);
    });
}

// --yes answers the question in advance; otherwise it is asked on the terminal. With neither,
// a script would go on as if the command had worked, so that is a usage mistake.
std::optional<bool> parseYes(const char* name, const QStringList& args, QTextStream& err) {
    QCommandLineParser parser;
    parser.addOption(yesOption);
    if (!parseCommandOptions(parser, name, args, err))
        return std::nullopt;
    if (!parser.isSet(yesOption) && !TerminalPrompts::canAsk()) {
        err << "quillfire " << name << " needs --yes when no terminal can ask.\n";
        return std::nullopt;
    }
    return parser.isSet(yesOption);
}

} // namespace

int runPlay(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("play", args, err, RunRequest::play());
}

int runSetup(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("setup", args, err, RunRequest::setUp(), true);
}

int runUpdate(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("update", args, err, RunRequest::update());
}

int runRollback(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("rollback", args, err, RunRequest::rollBack());
}

int runRepair(const QStringList& args, QTextStream&, QTextStream& err) {
    return startRun("repair", args, err, RunRequest::repair(false));
}

int runReinstall(const QStringList& args, QTextStream&, QTextStream& err) {
    const auto yes = parseYes("reinstall", args, err);
    if (!yes)
        return ExitCode::usage;
    return withClaimedModel(*yes, err, [&](AppModel& model) {
        model.reinstall();
        return awaitRun(model, err);
    });
}

int runRemove(const QStringList& args, QTextStream& out, QTextStream& err) {
    const auto yes = parseYes("remove", args, err);
    if (!yes)
        return ExitCode::usage;
    return withClaimedModel(*yes, err, [&](AppModel& model) {
        if (model.isWorking())
            return ExitCode::failure;
        QString failure;
        QObject::connect(&model, &AppModel::removalFailed,
                         [&](const QString& sentence) { failure = sentence; });
        const bool removed =
            awaitSignal(model, &AppModel::removalFinished, [&] { model.removeEverything(); });
        if (!failure.isEmpty()) {
            err << failure << '\n';
            return ExitCode::failure;
        }
        out << (removed ? "Removed the game and the engine. Saved games are kept.\n"
                        : "Nothing removed.\n");
        return ExitCode::ok;
    });
}
