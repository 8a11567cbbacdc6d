#include "cli/RunWait.h"

#include "cli/Command.h"

#include "app/AppModel.h"
#include "cli/InterruptHandler.h"
#include "cli/RunReporter.h"

#include <QEventLoop>

#include <unistd.h>

int awaitRun(AppModel& model, QTextStream& err) {
    if (!model.isWorking())
        return model.phase().kind() == Phase::Kind::Needs ? ExitCode::failure : ExitCode::ok;

    RunReporter reporter(model, stdout, isatty(STDOUT_FILENO));
    InterruptHandler interrupts;
    bool cancelledByUser = false;
    QObject::connect(&interrupts, &InterruptHandler::interrupted, &model, [&] {
        if (model.isGameRunning()) {
            model.stopGame();
        } else {
            cancelledByUser = true;
            model.cancel();
        }
    });
    QEventLoop loop;
    QObject::connect(&model, &AppModel::runFinished, &loop, &QEventLoop::quit);
    loop.exec();

    if (model.phase().kind() == Phase::Kind::Needs) {
        err << model.phase().text() << Qt::endl;
        return ExitCode::failure;
    }
    if (const auto& failure = model.failure()) {
        err << failure->headline << Qt::endl;
        for (const QString& line : failure->lines)
            err << "  " << line << Qt::endl;
        return ExitCode::endedEarly;
    }
    return cancelledByUser ? ExitCode::cancelled : ExitCode::ok;
}
