#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <chrono>
#include <optional>
#include <utility>

// Readers of the raw header values and first body bytes a server sends.
namespace HttpHeaders {

// A 206's Content-Range "bytes 100-999/1000": where its part starts and the whole size (0 when
// the server leaves it open); nothing when the header cannot be read.
std::optional<std::pair<qint64, qint64>> contentRange(const QByteArray& value);

// Retry-After in seconds or as an HTTP date; -1 s when the answer had none.
std::chrono::seconds retryAfter(const QByteArray& value);

// Whether a Content-Type names a web page.
bool isWebPageType(const QByteArray& value);

// Whether a body's first bytes look like a web page.
bool startsLikeHtml(QByteArrayView start);

} // namespace HttpHeaders
