#pragma once

#include "support/UserError.h"

#include <chrono>

// The launch steps' own failures: an HTTP status, a finished sentence, or a
// download that left no file.
class DownloadError : public UserError {
public:
    enum class Kind { Http, Message, NoFile };

    // `retryAfter`: how long the server asked to wait before asking again (Retry-After), if it did.
    static DownloadError http(int status,
                              std::chrono::seconds retryAfter = std::chrono::seconds(-1));
    static DownloadError message(const QString& text);
    static DownloadError noFile();

    Kind kind() const { return kind_; }
    int httpStatus() const { return status_; }
    std::chrono::seconds retryAfter() const { return retryAfter_; }

private:
    DownloadError(Kind kind, int status, QString description)
        : UserError(std::move(description)), kind_(kind), status_(status) {}

    Kind kind_;
    int status_;
    std::chrono::seconds retryAfter_{-1};
};

// The network itself failed (no connection, unknown host, TLS, time-out...).
// The description is the network library's sentence.
class TransportError : public UserError {
public:
    // What went wrong, as far as trying again is concerned: the connection was refused, it broke
    // off (a body cut short included), nothing came in time, or anything else.
    enum class Kind { Refused, Dropped, TimedOut, Other };

    explicit TransportError(QString description, Kind kind = Kind::Other)
        : UserError(std::move(description)), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};
