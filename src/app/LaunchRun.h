#pragma once

#include "app/Phase.h"
#include "app/RunResult.h"
#include "download/DownloadProgress.h"
#include "download/DownloadTimeouts.h"
#include "download/FileDownloader.h"
#include "project/GameInfo.h"
#include "runner/GameRunner.h"
#include "support/CancelToken.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>

class LogStore;
class QNetworkAccessManager;
class QThread;

// One press of Play: the steps from whatever is on disk to a running game, on a thread of its
// own. It changes nothing the window shows: it tells what happens through its signals, emitted
// on its thread in order, for the model to take in on its own.
class LaunchRun : public QObject {
    Q_OBJECT
public:
    LaunchRun(GameRunner& runner, DownloadTimeouts downloads, LogStore& log, RunRequest request,
              RunOptions options);
    ~LaunchRun() override; // cancels and waits for the thread

    void start();
    // Ends the run at once: downloads, set-up and a game about to start or running.
    void cancel();
    // Ends the game, also one that is just being started; the set-up goes on.
    void stopGame();
    void wait();

signals:
    void stepStarted(Phase::Kind phase, const QString& step, const QString& detail);
    void progressed(const DownloadProgress& progress);
    // A failed transfer waits to be tried again: why, and when.
    void retrying(const QString& detail);
    void gameRead(const GameInfo& info);
    void gameStarting();
    void finished(const RunResult& result);

private:
    RunResult execute();
    void steps(RunResult& result, QNetworkAccessManager& network);
    void backUpSaves(const std::optional<GameInfo>& info);
    void reinstall(const MakeDownloader& downloaders);
    void refuseUnplayable(const GameInfo& info, bool needsEngine) const;
    bool changedSinceInstall(const QString& folder, const char* what);
    void recordGameFiles();
    std::shared_ptr<FileDownloader> makeDownloader(QNetworkAccessManager& network);
    void reportProgress(const DownloadProgress& progress);

    GameRunner& runner_;
    DownloadTimeouts downloads_;
    LogStore& log_;
    RunRequest request_;
    RunOptions options_;
    CancelToken token_;
    CancelToken gameStop_;
    QElapsedTimer sinceProgress_; // on the run's thread
    QThread* thread_ = nullptr;
};
