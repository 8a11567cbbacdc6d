#include "cli/RunWait.h"

#include "cli/Command.h"

#include "app/AppModel.h"
#include "cli/RunReporter.h"
#include "support/InterruptHandler.h"

#include <QEventLoop>

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
    case FailureAction::None:
        break;
    }
    return {};
}

} // namespace

bool awaitFlag(AppModel& model, void (AppModel::*signal)(bool),
               const std::function<void()>& begin) {
    bool flag = false;
    QEventLoop loop;
    QObject::connect(&model, signal, &loop, [&](bool value) {
        flag = value;
        loop.quit();
    });
    begin();
    loop.exec();
    return flag;
}

int awaitRun(AppModel& model, QTextStream& err) {
    if (!model.isWorking())
        return model.phase().kind() == Phase::Kind::Needs ? ExitCode::failure : ExitCode::ok;

    RunReporter reporter(model, stdout, isatty(STDOUT_FILENO));
    InterruptHandler interrupts;
    QObject::connect(&interrupts, &InterruptHandler::interrupted, &model, [&] {
        if (model.isGameRunning())
            model.stopGame();
        else
            model.cancel();
    });
    const bool cancelled = awaitFlag(model, &AppModel::runFinished, [] {});

    if (model.phase().kind() == Phase::Kind::Needs) {
        err << model.phase().text() << Qt::endl;
        return ExitCode::failure;
    }
    if (const auto& failure = model.failure()) {
        err << failure->headline << Qt::endl;
        for (const QString& line : failure->lines)
            err << "  " << line << Qt::endl;
        if (const QString fix = fixCommand(failure->action); !fix.isEmpty())
            err << "Run: " << fix << Qt::endl;
        return ExitCode::endedEarly;
    }
    return cancelled ? ExitCode::cancelled : ExitCode::ok;
}
