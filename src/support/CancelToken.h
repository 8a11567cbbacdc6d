#pragma once

#include <QString>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

// Thrown when the user cancelled a run. Never a user-facing failure.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

// One run's cancellation: flags it, wakes every wait, and reaches transfers and
// child processes through the hooks they register. Safe from any thread.
class CancelToken {
public:
    void cancel();
    bool isCancelled() const;
    void throwIfCancelled() const;

    // Sleeps up to `duration`; returns false when woken early by a cancel.
    bool sleepFor(std::chrono::milliseconds duration) const;

    // Runs `hook` once on cancel (at once when already cancelled). The hook must be quick.
    int addHook(std::function<void()> hook);
    void removeHook(int id);

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable wake_;
    std::mutex runningHooks_;
    bool cancelled_ = false;
    int nextId_ = 0;
    std::map<int, std::function<void()>> hooks_;
};

// Keeps a cancel hook registered for the lifetime of a scope.
class CancelHook {
public:
    CancelHook(CancelToken* token, std::function<void()> hook);
    ~CancelHook();
    CancelHook(const CancelHook&) = delete;
    CancelHook& operator=(const CancelHook&) = delete;

private:
    CancelToken* token_;
    int id_ = -1;
};
