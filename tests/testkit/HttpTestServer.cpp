#include "testkit/HttpTestServer.h"

#include "engine/EngineSpec.h"
#include "testkit/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

#include <stdexcept>

namespace testkit {

QByteArray sumsLine(const QByteArray& zip, const QString& asset) {
    return QCryptographicHash::hash(zip, QCryptographicHash::Sha512).toHex() + "  " +
           asset.toUtf8() + '\n';
}

// The folder sits beside, not in, the temporary folder whose contents the tests check.
HttpTestServer::HttpTestServer() : folder_(QDir::homePath() + "/server-XXXXXX") {
    writeFile(folder_.path(), "routes.json", "{}");
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithTest(process_);
    process_.start("python3", {FAULT_SERVER, folder_.path()});
    if (!process_.waitForReadyRead(20'000))
        throw std::runtime_error("the test server did not start");
    port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
}

HttpTestServer::~HttpTestServer() {
    process_.kill();
    process_.waitForFinished();
}

// Named by their contents, so that a body is never rewritten while it is being sent.
QString HttpTestServer::bodyName(const QByteArray& body) {
    const QString name = QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex();
    if (!QFileInfo::exists(folder_.filePath(name)))
        writeFile(folder_.path(), name, body);
    return name;
}

void HttpTestServer::setRoute(const QString& path, const QByteArray& body, const QJsonObject& how) {
    QJsonObject route = how;
    route["body"] = bodyName(body);
    routes_[path] = route;
    // Replaced whole, so that the server never reads half a file.
    QSaveFile file(folder_.filePath("routes.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(routes_).toJson()) < 0 ||
        !file.commit())
        ADD_FAILURE() << "cannot write the test server's routes";
}

QStringList HttpTestServer::requestLog() const {
    return QString(readFile(folder_.filePath("requests.log"))).split('\n', Qt::SkipEmptyParts);
}

qint64 HttpTestServer::bytesSent() const {
    qint64 sent = 0;
    for (const QByteArray& line : readFile(folder_.filePath("sent.log")).split('\n'))
        sent += line.toLongLong();
    return sent;
}

void HttpTestServer::useAsHostingService() const {
    qputenv("QUILLFIRE_HOSTING_URL", baseUrl().toUtf8());
}

void HttpTestServer::serveGameArchive(const QByteArray& zip, const QString& branch) {
    setRoute(QString("/varnel/godot_brennick/archive/refs/heads/%1.zip").arg(branch), zip);
}

void HttpTestServer::serveEngine(const EngineSpec& spec, const QByteArray& zip) {
    const QString sums = QUrl(spec.checksumUrl()).path();
    const QString listed = routes_.value(sums).toObject().value("body").toString();
    setRoute(sums, (listed.isEmpty() ? "" : readFile(folder_.filePath(listed))) +
                       sumsLine(zip, spec.assetName()));
    setRoute(QUrl(spec.archiveUrl()).path(), zip);
}

} // namespace testkit
