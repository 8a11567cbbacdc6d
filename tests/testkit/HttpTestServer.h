#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

struct EngineSpec;

namespace testkit {

// The line of a release's checksum list that names `asset` with the digest of `zip`.
QByteArray sumsLine(const QByteArray& zip, const QString& asset);

// A local HTTP server on 127.0.0.1 (tests/tools/fault-server.py, in a process of its own)
// that answers each path as its route says, 404 without one, and logs every request target.
// Doubles as a mirror of the hosting service. Throws std::runtime_error when it cannot start.
class HttpTestServer {
public:
    HttpTestServer();
    ~HttpTestServer();

    quint16 port() const { return port_; }
    QString baseUrl() const { return QString("http://127.0.0.1:%1").arg(port_); }
    QUrl url(const QString& path) const { return QUrl(baseUrl() + path); }

    // Answers `path` with `body`; `how` holds the server's other route keys (fault-server.py).
    void setRoute(const QString& path, const QByteArray& body, const QJsonObject& how = {});
    // The name under which an answer of a route may send `body` instead of the route's.
    QString bodyName(const QByteArray& body);
    // Request targets as sent ("/path", or "http://host/path" through a proxy), each followed by
    // " Range: bytes=N-" when it asked for a range, oldest first.
    QStringList requestLog() const;
    // The body bytes sent so far, all requests together.
    qint64 bytesSent() const;

    // The hosting-service mirror: QUILLFIRE_HOSTING_URL points here, the game archive of a
    // branch and engine releases with their "SHA512-SUMS.txt" are served.
    void useAsHostingService() const;
    void serveGameArchive(const QByteArray& zip, const QString& branch = "main");
    // The asset, and its line added to the release's checksum list.
    void serveEngine(const EngineSpec& spec, const QByteArray& zip);

private:
    QTemporaryDir folder_;
    QProcess process_;
    QJsonObject routes_; // as the server reads them
    quint16 port_ = 0;
};

} // namespace testkit
