#pragma once

#include <QNetworkReply>
#include <QString>

#include <chrono>

// Finished sentences for failed downloads, for the player to read.
namespace TransportErrorText {

// `detail` is the network library's own wording (or the first TLS error), used where
// the code alone says too little.
QString forError(QNetworkReply::NetworkError error, const QString& host, const QString& detail);

QString connectTimedOut(const QString& host, std::chrono::milliseconds limit);
QString stalled(const QString& host, std::chrono::milliseconds limit);
QString unsupportedScheme(const QString& address);
// A sign-in page of a hotel's or an airport's network answers every address with itself.
QString webPage(const QString& host);
QString damaged(const QString& host);

} // namespace TransportErrorText
