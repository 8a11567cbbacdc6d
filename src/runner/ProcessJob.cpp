#include "runner/ProcessJob.h"

#include "runner/LineSplitter.h"

#include <QFile>
#include <QScopeGuard>

#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Without a pidfd the child's end is noticed by polling this often.
constexpr int exitPollMilliseconds = 50;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// A descriptor that becomes readable when the child has ended; -1 where the
// kernel has none.
int openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

int statusFrom(int raw) {
    if (WIFEXITED(raw))
        return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw))
        return WTERMSIG(raw);
    return -1;
}

// Starts the child in a process group of its own, with `output` as its
// standard output and error and the null device as its input. Answers the pid,
// or -1 with `error` set.
pid_t spawnChild(const QString& executable, const QStringList& arguments, int output, int& error) {
    std::vector<QByteArray> words{QFile::encodeName(executable)};
    for (const QString& argument : arguments)
        words.push_back(argument.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDERR_FILENO);

    // The child starts with no blocked signals and default handlers, whatever
    // this process ignores (a GUI toolkit may ignore SIGPIPE).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    error = posix_spawnp(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

} // namespace

ProcessJob::ProcessJob(QString executable, QStringList arguments, LineHandler onLine)
    : executable_(std::move(executable)), arguments_(std::move(arguments)),
      onLine_(std::move(onLine)) {}

int ProcessJob::run() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Created)
            throw std::logic_error("ProcessJob::run() called more than once");
        state_ = State::Starting;
    }
    const auto launchError = [this](int error) {
        std::lock_guard lock(mutex_);
        state_ = State::Ended;
        return Problem(Problem::Kind::Engine, QStringLiteral("%1 could not be started: %2.")
                                                  .arg(executable_, qt_error_string(error)));
    };

    std::array<int, 2> ends{};
    if (::pipe2(ends.data(), O_CLOEXEC) != 0)
        throw launchError(errno);
    FileDescriptor output(ends[0]);
    FileDescriptor childOutput(ends[1]);
    int error = 0;
    const pid_t pid = spawnChild(executable_, arguments_, childOutput.get(), error);
    childOutput.reset();
    if (pid < 0)
        throw launchError(error);
    const FileDescriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    {
        std::lock_guard lock(mutex_);
        wakeFd_ = wake.get();
    }
    const auto forgetWake = qScopeGuard([this] {
        std::lock_guard lock(mutex_);
        wakeFd_ = -1;
    });
    markStarted(pid);

    const FileDescriptor exited(openPidFd(pid));
    try {
        return pumpUntilExit(output.get(), exited.get());
    } catch (...) {
        killAndReap();
        throw;
    }
}

void ProcessJob::markStarted(pid_t pid) {
    std::lock_guard lock(mutex_);
    pid_ = pid;
    state_ = State::Running;
    if (stopRequested_)
        signalChild(SIGTERM);
}

// How long run() may wait for the next event: until the stop's grace period
// ends (then the group gets SIGKILL), or for ever.
int ProcessJob::pollTimeout(int pidFd) {
    std::lock_guard lock(mutex_);
    const int idle = pidFd >= 0 ? -1 : exitPollMilliseconds;
    if (!stopRequested_ || killed_ || state_ != State::Running)
        return idle;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(
        stoppedAt_ + stopGrace - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
        signalChild(SIGKILL);
        killed_ = true;
        return idle;
    }
    return idle < 0 ? static_cast<int>(left.count())
                    : std::min(idle, static_cast<int>(left.count()));
}

int ProcessJob::pumpUntilExit(int output, int pidFd) {
    LineSplitter splitter;
    QStringList lines;
    std::vector<char> chunk(64 * 1024);
    const auto take = [&](qsizetype count) {
        const ssize_t n = ::read(output, chunk.data(), static_cast<size_t>(count));
        if (n > 0) {
            splitter.feed(QByteArrayView(chunk.data(), n), lines);
            deliver(lines);
        }
        return n;
    };

    bool outputOpen = true;
    std::optional<int> status;
    while (!status) {
        int wake = -1;
        {
            std::lock_guard lock(mutex_);
            wake = wakeFd_;
        }
        std::array<pollfd, 3> watched{
            {{outputOpen ? output : -1, POLLIN, 0}, {pidFd, POLLIN, 0}, {wake, POLLIN, 0}}};
        ::poll(watched.data(), watched.size(), pollTimeout(pidFd));
        if (watched[2].revents != 0) {
            eventfd_t ignored = 0;
            ::eventfd_read(wake, &ignored);
        }
        if (watched[0].revents != 0) {
            const ssize_t n = take(static_cast<qsizetype>(chunk.size()));
            if (n == 0 || (n < 0 && errno != EINTR))
                outputOpen = false;
        }
        if (pidFd < 0 || watched[1].revents != 0)
            status = tryReap();
    }

    // A program the child started (Godot's error dialog, for one) may hold the
    // pipe open long after the child died: take what is already there and
    // never wait for end-of-file.
    int pending = 0;
    if (outputOpen && ::ioctl(output, FIONREAD, &pending) == 0) {
        while (pending > 0) {
            const ssize_t n = take(std::min<qsizetype>(pending, chunk.size()));
            if (n <= 0)
                break;
            pending -= static_cast<int>(n);
        }
    }
    splitter.flush(lines);
    deliver(lines);
    return *status;
}

std::optional<int> ProcessJob::tryReap() {
    std::lock_guard lock(mutex_);
    int raw = 0;
    const pid_t reaped = ::waitpid(pid_, &raw, WNOHANG);
    if (reaped == 0 || (reaped < 0 && errno == EINTR))
        return std::nullopt;
    state_ = State::Ended;
    signalled_ = reaped > 0 && WIFSIGNALED(raw);
    return reaped < 0 ? -1 : statusFrom(raw);
}

void ProcessJob::killAndReap() {
    std::lock_guard lock(mutex_);
    if (state_ != State::Running)
        return;
    signalChild(SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    state_ = State::Ended;
}

void ProcessJob::signalChild(int signal) {
    // A child that left its group is still reached itself.
    if (::kill(-pid_, signal) != 0)
        ::kill(pid_, signal);
}

void ProcessJob::deliver(QStringList& lines) const {
    if (onLine_)
        for (const QString& line : std::as_const(lines))
            onLine_(line);
    lines.clear();
}

bool ProcessJob::isRunning() const {
    std::lock_guard lock(mutex_);
    return state_ == State::Running;
}

bool ProcessJob::endedBySignal() const {
    std::lock_guard lock(mutex_);
    return signalled_;
}

void ProcessJob::stop() {
    std::lock_guard lock(mutex_);
    if (!stopRequested_)
        stoppedAt_ = std::chrono::steady_clock::now();
    stopRequested_ = true;
    if (state_ == State::Running)
        signalChild(SIGTERM);
    if (wakeFd_ >= 0)
        ::eventfd_write(wakeFd_, 1);
}
