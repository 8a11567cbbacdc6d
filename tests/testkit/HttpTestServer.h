#pragma once

#include "support/Platform.h"

#include <QByteArray>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <memory>

struct EngineSpec;

namespace testkit {

// How the server answers requests for one path.
struct HttpRoute {
    enum class Framing { ContentLength, CloseDelimited, Chunked };

    QByteArray body; // sent unless `file` is set
    QString file;    // a file to stream instead of `body`
    int status = 200;
    Framing framing = Framing::ContentLength;
    QString redirectTo;      // a path on this server or an absolute URL; 302 unless `status` is 3xx
    qint64 trickleBytes = 0; // > 0: send only this many body bytes every `trickleInterval`
    std::chrono::milliseconds trickleInterval{50};
    qint64 dropAfter = -1;  // >= 0: close the connection after this many body bytes
    qint64 stallAfter = -1; // >= 0: send headers and this many body bytes, then nothing more
    bool silent = false;    // read the request and never answer
};

// A local HTTP(S) server on 127.0.0.1 with its own thread, so that blocking downloads on
// the calling thread reach it. Serves files from a folder and bodies set per path, with
// switchable misbehaviour, and logs every request target. Doubles as a mirror of the
// hosting service. Throws std::runtime_error when it cannot start.
class HttpTestServer {
public:
    enum class Tls { Off, On }; // On: a self-signed certificate for 127.0.0.1, made now

    explicit HttpTestServer(Tls tls = Tls::Off, quint16 port = 0);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    quint16 port() const { return port_; }
    QString baseUrl() const; // "http://127.0.0.1:<port>", https with Tls::On
    QUrl url(const QString& path) const;

    // URL path -> file below `root` for every path without its own route.
    void serveFolder(const QString& root);
    void setRoute(const QString& path, const HttpRoute& route);
    void setBody(const QString& path, const QByteArray& body, int status = 200);

    // Request targets as sent ("/path", or "http://host/path" through a proxy), oldest first.
    QStringList requestLog() const;

    // Tls::On only: lets downloads in this process accept the server's certificate.
    QSslCertificate certificate() const { return certificate_; }
    void trustCertificate() const;

    // The hosting-service mirror: QUILLFIRE_HOSTING_URL points here, the game archive
    // of a branch and engine releases with their "SHA512-SUMS.txt" are served.
    void useAsHostingService() const;
    void serveGameArchive(const QByteArray& zip, const QString& branch = QStringLiteral("main"));
    void serveEngine(const EngineSpec& spec, const QByteArray& zip,
                     Platform platform = hostPlatform());

    struct State;

private:
    void makeCertificate();

    std::shared_ptr<State> state_;
    QTemporaryDir certificateDir_;
    QSslCertificate certificate_;
    QThread thread_;
    quint16 port_ = 0;
    Tls tls_;
};

} // namespace testkit
