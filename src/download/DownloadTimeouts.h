#pragma once

#include <chrono>
#include <vector>

// How long a transfer may wait before it gives up, and how long it waits before each new try.
struct DownloadTimeouts {
    std::chrono::milliseconds connect{15'000}; // until the request has been sent
    std::chrono::milliseconds stall{30'000};   // between two signs of life once connected
    // Before the second, third and fourth try of a transfer that failed for a reason that may
    // pass; each gets some jitter.
    std::vector<std::chrono::milliseconds> retryDelays{std::chrono::milliseconds(1'000),
                                                       std::chrono::milliseconds(4'000),
                                                       std::chrono::milliseconds(15'000)};
};
