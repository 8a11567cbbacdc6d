#include "download/SpeedMeter.h"

double SpeedMeter::update(qint64 received, Clock::time_point now) {
    using namespace std::chrono_literals;
    const std::chrono::duration<double> elapsed = now - windowStart_;
    if (elapsed >= 500ms) {
        speed_ = static_cast<double>(received - windowBytes_) / elapsed.count();
        windowStart_ = now;
        windowBytes_ = received;
    }
    return speed_;
}
