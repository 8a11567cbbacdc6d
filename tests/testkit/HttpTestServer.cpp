#include "testkit/HttpTestServer.h"

#include "engine/EngineSpec.h"
#include "testkit/HttpTestServerConnection.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>

#include <stdexcept>

namespace testkit {

namespace {

// Accepts connections on the server thread and hands each to a connection object.
class Listener : public QObject {
public:
    Listener(std::shared_ptr<HttpTestServer::State> state, QSslConfiguration tls)
        : state_(std::move(state)), tls_(std::move(tls)) {}

    quint16 listen(quint16 port) {
        QTcpServer* server = nullptr;
        if (tls_.isNull()) {
            server = new QTcpServer(this);
        } else {
            auto* sslServer = new QSslServer(this);
            sslServer->setSslConfiguration(tls_);
            server = sslServer;
        }
        connect(server, &QTcpServer::pendingConnectionAvailable, this, [this, server] {
            while (QTcpSocket* socket = server->nextPendingConnection())
                new HttpTestServerConnection(socket, state_, this);
        });
        return server->listen(QHostAddress::LocalHost, port) ? server->serverPort() : 0;
    }

private:
    std::shared_ptr<HttpTestServer::State> state_;
    QSslConfiguration tls_;
};

} // namespace

HttpTestServer::HttpTestServer(Tls tls, quint16 port)
    : state_(std::make_shared<State>()), tls_(tls) {
    QSslConfiguration tlsConfiguration;
    if (tls == Tls::On) {
        makeCertificate();
        QFile keyFile(certificateDir_.filePath(QStringLiteral("key.pem")));
        keyFile.open(QIODevice::ReadOnly);
        tlsConfiguration = QSslConfiguration::defaultConfiguration();
        tlsConfiguration.setLocalCertificate(certificate_);
        tlsConfiguration.setPrivateKey(QSslKey(&keyFile, QSsl::Ec));
        tlsConfiguration.setPeerVerifyMode(QSslSocket::VerifyNone);
    }
    auto* listener = new Listener(state_, tlsConfiguration);
    listener->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, listener, &QObject::deleteLater);
    thread_.start();
    QMetaObject::invokeMethod(
        listener, [&] { port_ = listener->listen(port); }, Qt::BlockingQueuedConnection);
    if (port_ == 0) {
        thread_.quit();
        thread_.wait();
        throw std::runtime_error("the test server cannot listen on 127.0.0.1");
    }
}

HttpTestServer::~HttpTestServer() {
    thread_.quit();
    thread_.wait();
}

void HttpTestServer::makeCertificate() {
    if (!certificateDir_.isValid())
        throw std::runtime_error("no folder for the test certificate");
    QProcess openssl;
    openssl.setWorkingDirectory(certificateDir_.path());
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                   QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), QStringLiteral("key.pem"), QStringLiteral("-out"),
                   QStringLiteral("cert.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                   QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost")});
    if (!openssl.waitForFinished(60'000) || openssl.exitCode() != 0)
        throw std::runtime_error("openssl could not make a test certificate: " +
                                 openssl.readAll().toStdString());
    const auto certificates =
        QSslCertificate::fromPath(certificateDir_.filePath(QStringLiteral("cert.pem")));
    if (certificates.isEmpty())
        throw std::runtime_error("the test certificate cannot be read");
    certificate_ = certificates.first();
}

QString HttpTestServer::baseUrl() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(tls_ == Tls::On ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(port_);
}

QUrl HttpTestServer::url(const QString& path) const {
    return QUrl(baseUrl() + path);
}

void HttpTestServer::serveFolder(const QString& root) {
    QMutexLocker lock(&state_->mutex);
    state_->root = root;
}

void HttpTestServer::setRoute(const QString& path, const HttpRoute& route) {
    QMutexLocker lock(&state_->mutex);
    state_->routes.insert(path, route);
}

void HttpTestServer::setBody(const QString& path, const QByteArray& body, int status) {
    HttpRoute route;
    route.body = body;
    route.status = status;
    setRoute(path, route);
}

QStringList HttpTestServer::requestLog() const {
    QMutexLocker lock(&state_->mutex);
    return state_->log;
}

void HttpTestServer::trustCertificate() const {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(certificate_);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

void HttpTestServer::useAsHostingService() const {
    qputenv("QUILLFIRE_HOSTING_URL", baseUrl().toUtf8());
}

void HttpTestServer::serveGameArchive(const QByteArray& zip, const QString& branch) {
    setBody(QStringLiteral("/varnel/godot_brennick/archive/refs/heads/") + branch +
                QStringLiteral(".zip"),
            zip);
}

// The asset, and its line added to the release's checksum list.
void HttpTestServer::serveEngine(const EngineSpec& spec, const QByteArray& zip, Platform platform) {
    const QString sumsPath = QUrl(spec.checksumUrl()).path();
    const QByteArray line = QCryptographicHash::hash(zip, QCryptographicHash::Sha512).toHex() +
                            "  " + spec.assetName(platform).toUtf8() + '\n';
    QMutexLocker lock(&state_->mutex);
    state_->routes[QUrl(spec.archiveUrl(platform)).path()].body = zip;
    state_->routes[sumsPath].body += line;
}

} // namespace testkit
