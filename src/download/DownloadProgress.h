#pragma once

#include <QtGlobal>

// One progress report of a running download.
struct DownloadProgress {
    qint64 received = 0;       // body bytes written so far
    qint64 total = 0;          // bytes expected in all; 0 when the server sent no length
    double bytesPerSecond = 0; // 0 until the first half-second window has passed
};
