// The launch-run side of the model: starting, cancelling and ending a run, and showing what the
// run tells on the way.
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

void AppModel::start(RunRequest request) {
    if (run_)
        return;
    setFailure(std::nullopt);
    if (request.launch && !request.freshGame)
        checkForUpdate(); // beside the run: Play never waits for it
    stopRequested_ = false;
    // The window options are read once per press of Play.
    runOptions_ = {fullscreen_, chosenResolution(), compatibilityGraphics_};
    runLog_.begin();
    run_ = std::make_unique<LaunchRun>(runner(), env_.downloads, log_, request, runOptions_);
    LaunchRun* run = run_.get();
    connect(run, &LaunchRun::stepStarted, this, &AppModel::showStep);
    connect(run, &LaunchRun::progressed, this, &AppModel::apply);
    connect(run, &LaunchRun::retrying, this, &AppModel::setDetailText);
    connect(run, &LaunchRun::gameRead, this, [this](const GameInfo& info) { setInfo(info); });
    connect(run, &LaunchRun::gameStarting, this, &AppModel::showGameStarting);
    connect(run, &LaunchRun::finished, this, &AppModel::finishRun);
    emit workingChanged();
    run->start();
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
        start(RunRequest::play());
        break;
    case FailureAction::SetUpAgain:
        GameRunner::forgetImport();
        start(RunRequest::play());
        break;
    case FailureAction::Reinstall:
        reinstall();
        break;
    case FailureAction::Update:
        start(RunRequest::update());
        break;
    case FailureAction::Repair:
        start(RunRequest::repair(true));
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

void AppModel::showStep(Phase::Kind phase, const QString& step, const QString& detail) {
    setPhase(phase);
    setStepText(step);
    setProgress(std::nullopt);
    setDetailText(detail);
}

void AppModel::showGameStarting() {
    setStepText({});
    setDetailText({});
    setPhase(Phase::Kind::Starting);
    playingWatch_.start(env_.playingAfter);
}

void AppModel::finishRun(const RunResult& result) {
    playingWatch_.stop();
    // The last step's words would read as if it were still going on.
    setStepText({});
    setDetailText({});
    RunEnding ending = RunEnding::Done;
    switch (result.ending) {
    case RunResult::Ending::SetUp:
        break;
    case RunResult::Ending::GameEnded:
        ending = judgeGameEnd(result.outcome);
        break;
    case RunResult::Ending::Cancelled:
        log_.append(QStringLiteral("Cancelled."));
        setPhase(Phase::Kind::NotDownloaded);
        ending = RunEnding::Cancelled;
        break;
    case RunResult::Ending::Failed:
        log_.append(QStringLiteral("Problem: ") + result.problem->sentence());
        setPhase(Phase::needs(sentenceFor(*result.problem)));
        ending = RunEnding::Failed;
        break;
    }
    run_.reset();
    runLog_.end();
    emit workingChanged();
    if (ending != RunEnding::Failed)
        refresh();
    emit runFinished(ending);
}

RunEnding AppModel::judgeGameEnd(const RunOutcome& outcome) {
    const double normalSeconds = std::chrono::duration<double>(env_.playingAfter).count();
    if (stopRequested_) {
        log_.append(QStringLiteral("Game stopped."));
        return RunEnding::Done;
    }
    if (outcome.seconds >= normalSeconds && outcome.exitCode == 0) {
        log_.append(QStringLiteral("Game closed normally."));
        return RunEnding::Done;
    }
    setFailure(explainOutcome(outcome, runOptions_));
    return RunEnding::EndedEarly;
}

void AppModel::shutdown() {
    if (!run_)
        return;
    stopRequested_ = true;
    run_->cancel();
    run_->wait();
}
