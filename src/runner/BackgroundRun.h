#pragma once

#include "runner/ProcessJob.h"

#include <chrono>
#include <future>
#include <memory>
#include <optional>

class LogStore;

// A job's run() on a pool thread, so that the caller can watch meanwhile.
// It never outlives its child: leaving the scope stops the child and waits.
// A child that cannot be started counts as ended with status -1, its reason logged.
class BackgroundRun {
public:
    BackgroundRun(std::shared_ptr<ProcessJob> job, LogStore& log);
    ~BackgroundRun();
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    bool hasEnded() const;
    // Waits up to `duration`; true when the child has ended.
    bool waitFor(std::chrono::milliseconds duration) const;
    // Stops the child if it still runs, waits for it and answers its status.
    int finish();

private:
    std::shared_ptr<ProcessJob> job_;
    std::future<int> running_;
    std::optional<int> status_;
};
