#pragma once

#include "app/Phase.h"
#include "download/DownloadTimeouts.h"
#include "runner/GameRunner.h"
#include "support/CancelToken.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class AppModel;
class LogStore;
class QThread;

// How a launch run ended, handed to the model on the GUI thread.
struct RunResult {
    enum class Kind { SetUp, GameEnded, Cancelled, Failed };
    Kind kind = Kind::SetUp;
    RunOutcome outcome;     // GameEnded
    QString problem;        // Failed: the error's sentence
    bool transport = false; // Failed: the network itself failed
};

// One press of Play: the steps from whatever is on disk to a running game, on a
// thread of its own. Everything the window shows is posted to the model in order.
class LaunchRun {
public:
    struct Request {
        bool forceGame = false;
        bool launch = true;
        RunOptions options;
    };

    LaunchRun(AppModel& model, Request request);
    ~LaunchRun(); // cancels and waits for the thread
    LaunchRun(const LaunchRun&) = delete;
    LaunchRun& operator=(const LaunchRun&) = delete;

    void start();
    // Ends the run at once: downloads, set-up and a game about to start or running.
    void cancel();
    // Ends the game, also one that is just being started; the set-up goes on.
    void stopGame();
    void wait();

private:
    RunResult execute();
    void steps(RunResult& result);
    void post(std::function<void(AppModel&)> change);
    void showStep(Phase::Kind phase, const QString& step, const QString& detail);
    std::shared_ptr<class FileDownloader> makeDownloader();

    QPointer<AppModel> model_;
    GameRunner& runner_;
    DownloadTimeouts downloads_;
    LogStore& log_;
    Request request_;
    CancelToken token_;
    CancelToken gameStop_;
    QThread* thread_ = nullptr;
};
