#pragma once

#include "support/Platform.h"

#include <QByteArray>
#include <QHash>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <chrono>

struct EngineSpec;

namespace testkit {

// How the server answers requests for one path (see tests/tools/fault-server.py).
struct HttpRoute {
    enum class Framing { ContentLength, CloseDelimited, Chunked };

    QByteArray body;
    int status = 200;
    Framing framing = Framing::ContentLength;
    QString redirectTo;      // a path on this server or an absolute URL; 302 unless `status` is 3xx
    qint64 trickleBytes = 0; // > 0: send only this many body bytes every `trickleInterval`
    std::chrono::milliseconds trickleInterval{50};
    qint64 dropAfter = -1;  // >= 0: close the connection after this many body bytes
    qint64 stallAfter = -1; // >= 0: send headers and this many body bytes, then nothing more
    bool silent = false;    // read the request and never answer
};

// A local HTTP(S) server on 127.0.0.1 (Python's, in a process of its own) that answers each path
// as its route says (404 without one), with switchable misbehaviour, and logs every request
// target. Doubles as a mirror of the hosting service. Throws std::runtime_error when it cannot
// start.
class HttpTestServer {
public:
    enum class Tls { Off, On }; // On: a self-signed certificate for 127.0.0.1, made now

    explicit HttpTestServer(Tls tls = Tls::Off);
    ~HttpTestServer();

    quint16 port() const { return port_; }
    QString baseUrl() const; // "http://127.0.0.1:<port>", https with Tls::On
    QUrl url(const QString& path) const { return QUrl(baseUrl() + path); }

    void setRoute(const QString& path, const HttpRoute& route);
    void setBody(const QString& path, const QByteArray& body, int status = 200);
    // Request targets as sent ("/path", or "http://host/path" through a proxy), oldest first.
    QStringList requestLog() const;
    // Tls::On only: lets downloads in this process accept the server's certificate.
    void trustCertificate() const;

    // The hosting-service mirror: QUILLFIRE_HOSTING_URL points here, the game archive of a
    // branch and engine releases with their "SHA512-SUMS.txt" are served.
    void useAsHostingService() const;
    void serveGameArchive(const QByteArray& zip, const QString& branch = QStringLiteral("main"));
    // The asset, and its line added to the release's checksum list.
    void serveEngine(const EngineSpec& spec, const QByteArray& zip,
                     Platform platform = hostPlatform());

private:
    void writeRoutes() const;

    QTemporaryDir folder_;
    QProcess process_;
    QHash<QString, HttpRoute> routes_;
    quint16 port_ = 0;
    Tls tls_;
};

} // namespace testkit
