#include "cli/RunWait.h"

#include "cli/Command.h"

#include "app/AppModel.h"
#include "cli/RunReporter.h"
#include "support/InterruptHandler.h"
#include "support/Paths.h"

#include <unistd.h>

namespace {

// The commands that do what the window's button for `action` does.
QString fixCommand(FailureAction action) {
    switch (action) {
    case FailureAction::CompatibilityGraphics:
        return QStringLiteral("quillfire settings --graphics compatibility, then quillfire play");
    case FailureAction::SetUpAgain:
        return QStringLiteral("quillfire setup --again, then quillfire play");
    case FailureAction::Reinstall:
        return QStringLiteral("quillfire reinstall");
    case FailureAction::Update:
        return QStringLiteral("quillfire update");
    case FailureAction::Repair:
        return QStringLiteral("quillfire repair, then quillfire play");
    case FailureAction::None:
        break;
    }
    return {};
}

void reportFailure(const AppModel& model, RunEnding ending, QTextStream& err) {
    if (ending == RunEnding::Failed) {
        err << model.phase().text() << Qt::endl;
    } else if (const auto& failure = model.failure()) {
        err << failure->commandLineHeadline << Qt::endl;
        for (const QString& line : failure->lines)
            err << "  " << line << Qt::endl;
        if (const QString fix = fixCommand(failure->action); !fix.isEmpty())
            err << "Run: " << fix << Qt::endl;
    }
    err << "The whole log: " << Paths::lastRunLog() << Qt::endl;
}

} // namespace

int exitCodeFor(RunEnding ending) {
    switch (ending) {
    case RunEnding::Done:
        break;
    case RunEnding::Failed:
        return ExitCode::failure;
    case RunEnding::EndedEarly:
        return ExitCode::endedEarly;
    case RunEnding::Cancelled:
        return ExitCode::cancelled;
    }
    return ExitCode::ok;
}

int awaitRun(AppModel& model, QTextStream& err) {
    if (!model.isWorking())
        return ExitCode::ok; // nothing was started: a question answered no

    RunReporter reporter(model, stdout, isatty(STDOUT_FILENO));
    InterruptHandler interrupts;
    QObject::connect(&interrupts, &InterruptHandler::interrupted, &model, [&] {
        if (model.isGameRunning())
            model.stopGame();
        else
            model.cancel();
    });
    const RunEnding ending = awaitSignal(model, &AppModel::runFinished, [] {});
    if (ending == RunEnding::Failed || ending == RunEnding::EndedEarly)
        reportFailure(model, ending, err);
    return exitCodeFor(ending);
}
