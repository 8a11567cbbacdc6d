#include "download/SpeedMeter.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(SpeedMeter, AveragesOverWindowsOfAtLeastHalfASecond) {
    const SpeedMeter::Clock::time_point made{};
    SpeedMeter meter(made);
    struct Step {
        std::chrono::milliseconds at;
        qint64 received;
        double expected;
    };
    for (const Step& step : {
             Step{200ms, 10'000, 0}, // first window still open
             Step{499ms, 30'000, 0},
             Step{500ms, 50'000, 100'000},   // 50 000 bytes over the first 0.5 s
             Step{800ms, 90'000, 100'000},   // repeats while the next window is open
             Step{1'300ms, 250'000, 250'000} // 200 000 bytes over 0.8 s
         })
        EXPECT_DOUBLE_EQ(meter.update(step.received, made + step.at), step.expected)
            << "at " << step.at.count() << " ms";
}
