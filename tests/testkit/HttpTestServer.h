#pragma once

#include "engine/EngineSpec.h"
#include "testkit/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QUrl>

#include <stdexcept>

namespace testkit {

// The line of a release's checksum list that names `asset` with the digest of `zip`.
inline QByteArray sumsLine(const QByteArray& zip, const QString& asset) {
    return QCryptographicHash::hash(zip, QCryptographicHash::Sha512).toHex() + "  " +
           asset.toUtf8() + '\n';
}

// A local HTTP server on 127.0.0.1 (tests/tools/fault-server.py, in a process of its own)
// that answers each path as its route says, 404 without one, and logs every request target.
// Doubles as a mirror of the hosting service. Throws std::runtime_error when it cannot start.
class HttpTestServer {
public:
    // The folder sits beside, not in, the temporary folder whose contents the tests check.
    HttpTestServer() : folder_(QDir::homePath() + "/server-XXXXXX") {
        writeFile(folder_.path(), "routes.json", "{}");
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        endWithTest(process_);
        process_.start("python3", {FAULT_SERVER, folder_.path()});
        if (!process_.waitForReadyRead(20'000))
            throw std::runtime_error("the test server did not start");
        port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
    }
    ~HttpTestServer() {
        process_.kill();
        process_.waitForFinished();
    }

    QString baseUrl() const { return QString("http://127.0.0.1:%1").arg(port_); }
    QUrl url(const QString& path) const { return QUrl(baseUrl() + path); }

    // Answers `path` with `body`; `how` holds the server's other route keys (fault-server.py).
    void setRoute(const QString& path, const QByteArray& body, const QJsonObject& how = {}) {
        QJsonObject route = how;
        route["body"] = bodyName(body);
        routes_[path] = route;
        // Replaced whole, so that the server never reads half a file.
        QSaveFile file(folder_.filePath("routes.json"));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(routes_).toJson()) < 0 ||
            !file.commit())
            ADD_FAILURE() << "cannot write the test server's routes";
    }
    // The name under which an answer of a route may send `body` instead of the route's; named by
    // the contents, so that a body is never rewritten while it is being sent.
    QString bodyName(const QByteArray& body) {
        const QString name = QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex();
        if (!QFileInfo::exists(folder_.filePath(name)))
            writeFile(folder_.path(), name, body);
        return name;
    }
    // Request targets as sent ("/path", or "http://host/path" through a proxy), each followed by
    // " Range: bytes=N-" when it asked for a range, oldest first.
    QStringList requestLog() const {
        return QString(readFile(folder_.filePath("requests.log"))).split('\n', Qt::SkipEmptyParts);
    }

    // The hosting-service mirror (QUILLFIRE_HOSTING_URL): branch archives and engine releases.
    void useAsHostingService() const { qputenv("QUILLFIRE_HOSTING_URL", baseUrl().toUtf8()); }
    void serveGameArchive(const QByteArray& zip, const QString& branch = "main") {
        setRoute(QString("/varnel/godot_brennick/archive/refs/heads/%1.zip").arg(branch), zip);
    }
    // The asset, and a checksum list of the release that lists it alone.
    void serveEngine(const EngineSpec& spec, const QByteArray& zip) {
        setRoute(QUrl(spec.checksumUrl()).path(), sumsLine(zip, spec.assetName()));
        setRoute(QUrl(spec.archiveUrl()).path(), zip);
    }

private:
    QTemporaryDir folder_;
    QProcess process_;
    QJsonObject routes_; // as the server reads them
    quint16 port_ = 0;
};

} // namespace testkit
