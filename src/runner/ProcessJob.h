#pragma once

#include "support/Problem.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include <sys/types.h>

// One child process, run once. Its standard output and standard error arrive
// merged, cut into lines (see LineSplitter), on the thread that called run();
// its standard input is the null device. The child leads its own process
// group, so that stop() also reaches whatever it started.
//
// run() never returns or throws with its child still alive: it ends (SIGKILL)
// and reaps the child if a line handler throws.
class ProcessJob {
public:
    using LineHandler = std::function<void(const QString&)>;

    // `executable` is a path, or a bare name looked up in PATH.
    ProcessJob(QString executable, QStringList arguments, LineHandler onLine);
    ProcessJob(const ProcessJob&) = delete;
    ProcessJob& operator=(const ProcessJob&) = delete;

    // Blocks until the child has ended and its last line was delivered. Returns
    // its exit code, or the signal number when a signal ended it (15 after stop()).
    // Call once, from any thread. Throws an Engine problem when the child cannot be started.
    int run();

    // Any thread.
    bool isRunning() const;
    // Whether a signal ended the child (run()'s answer is then the signal's number).
    bool endedBySignal() const;
    // Any thread; returns at once. Sends SIGTERM to the child's process group;
    // a stop before the child started ends it as soon as it has. A group that
    // is still there after `stopGrace` gets SIGKILL.
    void stop();

    static constexpr std::chrono::milliseconds stopGrace{3000};

private:
    enum class State { Created, Starting, Running, Ended };

    void markStarted(pid_t pid);
    int pumpUntilExit(int output, int pidFd);
    int pollTimeout(int pidFd);
    std::optional<int> tryReap();
    void killAndReap();
    void signalChild(int signal);
    void deliver(QStringList& lines) const;

    const QString executable_;
    const QStringList arguments_;
    const LineHandler onLine_;

    // Guards the fields below. The child is reaped only while it is held, so a
    // signal never reaches a pid that has been reaped (and perhaps reused).
    mutable std::mutex mutex_;
    State state_ = State::Created;
    pid_t pid_ = -1;
    bool stopRequested_ = false;
    std::chrono::steady_clock::time_point stoppedAt_;
    bool killed_ = false;
    bool signalled_ = false;
    int wakeFd_ = -1; // lets stop() wake run()'s wait to time the grace period
};
