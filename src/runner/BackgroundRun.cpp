#include "runner/BackgroundRun.h"

#include "support/LogStore.h"

#include <QThreadPool>

BackgroundRun::BackgroundRun(std::shared_ptr<ProcessJob> job, LogStore& log)
    : job_(std::move(job)) {
    auto task = std::make_shared<std::packaged_task<int()>>([job = job_, &log] {
        try {
            return job->run();
        } catch (const Problem& problem) {
            log.append(problem.sentence());
            return -1;
        }
    });
    running_ = task->get_future();
    QThreadPool::globalInstance()->start([task] { (*task)(); });
}

BackgroundRun::~BackgroundRun() {
    if (status_)
        return;
    try {
        finish();
    } catch (...) {
        // Only the wait matters here; the run's own failure was the caller's to see.
    }
}

bool BackgroundRun::hasEnded() const {
    return waitFor(std::chrono::milliseconds::zero());
}

bool BackgroundRun::waitFor(std::chrono::milliseconds duration) const {
    return status_ || running_.wait_for(duration) == std::future_status::ready;
}

int BackgroundRun::finish() {
    if (!status_) {
        job_->stop();
        status_ = running_.get();
    }
    return *status_;
}
