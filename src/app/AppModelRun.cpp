// The launch-run side of the model: starting, cancelling and ending a run.
#include "app/AppModel.h"

#include "app/DisplayOptions.h"
#include "app/LaunchRun.h"
#include "app/OutcomeExplanation.h"

QString AppModel::chosenResolution() const {
    if (!resolution_.isEmpty())
        return resolution_;
    if (fullscreen_ || !env_.screenArea)
        return {};
    return fitResolution(env_.screenArea());
}

void AppModel::start(bool forceGame, bool launch) {
    if (run_)
        return;
    setFailure(std::nullopt);
    stopRequested_ = false;
    // The window options are read once per press of Play.
    runOptions_ = {fullscreen_, chosenResolution(), compatibilityGraphics_};
    runLog_.begin();
    run_ = std::make_unique<LaunchRun>(*this, LaunchRun::Request{forceGame, launch, runOptions_});
    emit workingChanged();
    run_->start();
}

void AppModel::cancel() {
    if (run_)
        run_->cancel();
}

void AppModel::applyFix(FailureAction action) {
    if (run_)
        return;
    switch (action) {
    case FailureAction::CompatibilityGraphics:
        setCompatibilityGraphics(true);
        start(false, true);
        break;
    case FailureAction::SetUpAgain:
        GameRunner::forgetImport();
        start(false, true);
        break;
    case FailureAction::Reinstall:
        reinstall();
        break;
    case FailureAction::None:
        break;
    }
}

void AppModel::stopGame() {
    stopRequested_ = true;
    if (run_)
        run_->stopGame();
}

void AppModel::startPlayingWatch() {
    playingWatch_.start(env_.playingAfter);
}

void AppModel::finishRun(const RunResult& result) {
    playingWatch_.stop();
    // The last step's words would read as if it were still going on.
    setStepText({});
    setDetailText({});
    switch (result.kind) {
    case RunResult::Kind::SetUp:
        break;
    case RunResult::Kind::GameEnded:
        judgeGameEnd(result.outcome);
        break;
    case RunResult::Kind::Cancelled:
        log_.append(QStringLiteral("Cancelled."));
        setPhase(Phase::Kind::NotDownloaded);
        break;
    case RunResult::Kind::Failed:
        log_.append(QStringLiteral("Problem: ") + result.problem);
        setPhase(Phase::needs(result.transport
                                  ? QStringLiteral("A download failed: ") + result.problem +
                                        QStringLiteral(" Check your internet connection "
                                                       "and press Play again.")
                                  : result.problem));
        break;
    }
    run_.reset();
    runLog_.end();
    emit workingChanged();
    if (phase_.kind() != Phase::Kind::Needs)
        refresh();
    emit runFinished(result.kind == RunResult::Kind::Cancelled);
}

void AppModel::judgeGameEnd(const RunOutcome& outcome) {
    const double normalSeconds = std::chrono::duration<double>(env_.playingAfter).count();
    if (stopRequested_)
        log_.append(QStringLiteral("Game stopped."));
    else if (outcome.seconds >= normalSeconds && outcome.exitCode == 0)
        log_.append(QStringLiteral("Game closed normally."));
    else
        setFailure(explainOutcome(outcome, runOptions_));
}

void AppModel::shutdown() {
    if (!run_)
        return;
    stopRequested_ = true;
    run_->cancel();
    run_->wait();
}
