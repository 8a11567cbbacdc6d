#pragma once

#include <QString>

#include <optional>

struct DownloadProgress;

// How a download's progress reads under the progress bar.
struct ProgressDisplay {
    std::optional<double> fraction; // absent while the size is unknown
    QString detail;                 // "5 MB of 20 MB · 2 MB/s"
};

ProgressDisplay describeProgress(const DownloadProgress& progress);
