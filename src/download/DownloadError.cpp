#include "download/DownloadError.h"

DownloadError DownloadError::http(int status) {
    return {Kind::Http, status, QStringLiteral("The server answered with HTTP %1.").arg(status)};
}

DownloadError DownloadError::message(const QString& text) {
    return {Kind::Message, 0, text};
}

DownloadError DownloadError::noFile() {
    return {Kind::NoFile, 0, QStringLiteral("The download finished but no file was saved.")};
}
