#include "download/DownloadError.h"

DownloadError DownloadError::http(int status, std::chrono::seconds retryAfter) {
    DownloadError error(Kind::Http, status,
                        QStringLiteral("The server answered with HTTP %1.").arg(status));
    error.retryAfter_ = retryAfter;
    return error;
}

DownloadError DownloadError::message(const QString& text) {
    return {Kind::Message, 0, text};
}

DownloadError DownloadError::noFile() {
    return {Kind::NoFile, 0, QStringLiteral("The download finished but no file was saved.")};
}
