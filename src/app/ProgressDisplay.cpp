#include "app/ProgressDisplay.h"

#include "download/DownloadProgress.h"
#include "support/ByteCount.h"

#include <cmath>

ProgressDisplay describeProgress(const DownloadProgress& progress) {
    ProgressDisplay display;
    display.detail = formatByteCount(progress.received);
    if (progress.total >= 1) {
        display.fraction =
            static_cast<double>(progress.received) / static_cast<double>(progress.total);
        display.detail += QStringLiteral(" of ") + formatByteCount(progress.total);
    }
    const double speed = std::isfinite(progress.bytesPerSecond) ? progress.bytesPerSecond : 0;
    display.detail += QStringLiteral(" \u00b7 ") + formatByteCount(static_cast<qint64>(speed)) +
                      QStringLiteral("/s");
    return display;
}
