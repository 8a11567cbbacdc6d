#pragma once

#include <QtGlobal>

#include <chrono>

// Transfer speed as a plain average over windows of at least half a second. Between
// windows the last figure is repeated, so the number shown changes about twice a second.
class SpeedMeter {
public:
    using Clock = std::chrono::steady_clock;

    // The first window starts here, not when the first byte arrives.
    explicit SpeedMeter(Clock::time_point start = Clock::now()) : windowStart_(start) {}

    // The speed to report with `received` bytes so far at `now`, in bytes per second.
    double update(qint64 received, Clock::time_point now = Clock::now());

private:
    Clock::time_point windowStart_;
    qint64 windowBytes_ = 0;
    double speed_ = 0;
};
