#include "support/CancelToken.h"

void CancelToken::cancel() {
    // Held from before the flag is set until the last hook has returned, so that a removeHook()
    // that sees the flag waits for hooks that may still run.
    std::lock_guard running(runningHooks_);
    std::map<int, std::function<void()>> hooks;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_)
            return;
        cancelled_ = true;
        hooks.swap(hooks_);
    }
    wake_.notify_all();
    for (auto& [id, hook] : hooks)
        hook();
}

bool CancelToken::isCancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

void CancelToken::throwIfCancelled() const {
    if (isCancelled())
        throw Cancelled();
}

bool CancelToken::sleepFor(std::chrono::milliseconds duration) const {
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, duration, [this] { return cancelled_; });
}

int CancelToken::addHook(std::function<void()> hook) {
    {
        std::lock_guard lock(mutex_);
        if (!cancelled_) {
            hooks_.emplace(nextId_, std::move(hook));
            return nextId_++;
        }
    }
    hook();
    return -1;
}

void CancelToken::removeHook(int id) {
    bool mayBeRunning = false;
    {
        std::lock_guard lock(mutex_);
        hooks_.erase(id);
        mayBeRunning = cancelled_;
    }
    // A hook must not outlive the scope that registered it: wait for a cancel in flight.
    if (mayBeRunning)
        std::lock_guard running(runningHooks_);
}

CancelHook::CancelHook(CancelToken* token, std::function<void()> hook) : token_(token) {
    if (token_)
        id_ = token_->addHook(std::move(hook));
}

CancelHook::~CancelHook() {
    if (token_ && id_ >= 0)
        token_->removeHook(id_);
}
