#pragma once

#include "support/UserError.h"

// The launch steps' own failures: an HTTP status, a finished sentence, or a
// download that left no file.
class DownloadError : public UserError {
public:
    enum class Kind { Http, Message, NoFile };

    static DownloadError http(int status);
    static DownloadError message(const QString& text);
    static DownloadError noFile();

    Kind kind() const { return kind_; }
    int httpStatus() const { return status_; }

private:
    DownloadError(Kind kind, int status, QString description)
        : UserError(std::move(description)), kind_(kind), status_(status) {}

    Kind kind_;
    int status_;
};

// The network itself failed (no connection, unknown host, TLS, time-out...).
// The description is the network library's sentence.
class TransportError : public UserError {
public:
    using UserError::UserError;
};
