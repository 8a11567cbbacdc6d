#include "download/TransportErrorText.h"

namespace {

// The library's phrases ("Connection refused", "SSL handshake failed: ...") as the end of
// our sentence: no trailing period, and a lower-case start unless the word is an acronym.
QString clause(QString detail) {
    detail = detail.trimmed();
    while (detail.endsWith(QLatin1Char('.')))
        detail.chop(1);
    if (detail.size() > 1 && detail.at(0).isUpper() && detail.at(1).isLower())
        detail[0] = detail.at(0).toLower();
    return detail;
}

QString duration(std::chrono::milliseconds limit) {
    if (limit == std::chrono::seconds(1))
        return QStringLiteral("1 second");
    return QStringLiteral("%1 seconds").arg(static_cast<double>(limit.count()) / 1000.0);
}

} // namespace

namespace TransportErrorText {

QString forError(QNetworkReply::NetworkError error, const QString& host, const QString& detail) {
    using E = QNetworkReply::NetworkError;
    switch (error) {
    case E::ConnectionRefusedError:
        return QStringLiteral("Could not connect to %1: connection refused.").arg(host);
    case E::RemoteHostClosedError:
        return QStringLiteral(
                   "The server %1 closed the connection before the download was complete.")
            .arg(host);
    case E::HostNotFoundError:
        return QStringLiteral("Could not find the server %1.").arg(host);
    case E::TimeoutError:
        return QStringLiteral("The connection to %1 timed out.").arg(host);
    case E::SslHandshakeFailedError:
        return QStringLiteral("Could not make a secure connection to %1: %2.")
            .arg(host, clause(detail));
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
        return QStringLiteral("The network connection was lost.");
    case E::TooManyRedirectsError:
        return QStringLiteral("The server %1 redirected the download too many times.").arg(host);
    case E::InsecureRedirectError:
        return QStringLiteral("The server %1 redirected the secure download to an insecure (http) "
                              "address, so it was refused.")
            .arg(host);
    case E::ProxyConnectionRefusedError:
    case E::ProxyConnectionClosedError:
    case E::ProxyNotFoundError:
    case E::ProxyTimeoutError:
    case E::ProxyAuthenticationRequiredError:
    case E::UnknownProxyError:
        return QStringLiteral("The proxy server failed: %1.").arg(clause(detail));
    default:
        return QStringLiteral("The download from %1 failed: %2.").arg(host, clause(detail));
    }
}

QString connectTimedOut(const QString& host, std::chrono::milliseconds limit) {
    return QStringLiteral("Could not connect to %1 within %2.").arg(host, duration(limit));
}

QString stalled(const QString& host, std::chrono::milliseconds limit) {
    return QStringLiteral("The server %1 stopped sending data: nothing arrived for %2.")
        .arg(host, duration(limit));
}

QString unsupportedScheme(const QString& address) {
    return QStringLiteral("Cannot download %1: only http and https addresses are supported.")
        .arg(address);
}

QString webPage(const QString& host) {
    return QStringLiteral("The server %1 sent a web page instead of the file. If this network "
                          "wants you to sign in first (as in hotels, airports and caf\u00e9s), "
                          "sign in with a web browser and press Play again.")
        .arg(host);
}

QString damaged(const QString& host) {
    return QStringLiteral("The file from %1 arrived in full but is damaged: the copy on the "
                          "server is broken. Try again later.")
        .arg(host);
}

} // namespace TransportErrorText
