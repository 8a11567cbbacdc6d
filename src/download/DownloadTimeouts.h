#pragma once

#include <chrono>

// How long a transfer may wait before it gives up.
struct DownloadTimeouts {
    std::chrono::milliseconds connect{15'000}; // until the request has been sent
    std::chrono::milliseconds stall{30'000};   // between two signs of life once connected
};
