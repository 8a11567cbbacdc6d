#include "testkit/NginxServer.h"

#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// A self-signed certificate for 127.0.0.1 made in `folder` (cert.pem, key.pem).
bool makeCertificate(const QString& folder) {
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    openssl.start("openssl", QString("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                                     "-nodes -keyout key.pem -out cert.pem -days 2 -subj "
                                     "/CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1")
                                 .split(' '));
    return openssl.waitForFinished(60'000) && openssl.exitCode() == 0;
}

const QString program = "/usr/sbin/nginx";

// Two ports free at once: both probes listen together, so they cannot be given the same one.
std::pair<quint16, quint16> freePorts() {
    QTcpServer first, second;
    first.listen(QHostAddress::LocalHost);
    second.listen(QHostAddress::LocalHost);
    return {first.serverPort(), second.serverPort()};
}

} // namespace

NginxServer::NginxServer(const QString& root) : folder_(QDir::homePath() + "/nginx-XXXXXX") {
    if (!installed() || !makeCertificate(folder_.path()))
        return;
    const auto [port, plainPort] = freePorts();
    const QString folder = folder_.path();
    testkit::writeFile(
        folder, "nginx.conf",
        QString("daemon off; master_process off; pid %1/nginx.pid;\n"
                "error_log %1/error.log;\nevents {}\n"
                "http {\n  access_log %1/access.log;\n"
                "  client_body_temp_path %1; proxy_temp_path %1; "
                "fastcgi_temp_path %1; uwsgi_temp_path %1; scgi_temp_path %1;\n"
                "  server {\n    listen 127.0.0.1:%2 ssl http2; listen 127.0.0.1:%4;\n"
                "    ssl_certificate %1/cert.pem; ssl_certificate_key %1/key.pem;\n"
                "    location /to-http/ { return 302 http://127.0.0.1:%4/; }\n"
                "    root %3;\n  }\n}\n")
            .arg(folder, QString::number(port), root, QString::number(plainPort))
            .toUtf8());
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    testkit::endWithTest(process_); // master_process off: no workers to outlive it
    process_.start(program, {"-p", folder, "-c", folder + "/nginx.conf"});
    const bool listening =
        process_.waitForStarted() && testkit::waitUntil([&] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.waitForConnected(100) || process_.state() == QProcess::NotRunning;
        });
    if (listening && process_.state() == QProcess::Running) {
        port_ = port;
        plainPort_ = plainPort;
    }
}

NginxServer::~NginxServer() {
    process_.terminate();
    process_.waitForFinished(5000);
}

bool NginxServer::installed() {
    return QFileInfo(program).isExecutable();
}

QString NginxServer::accessLog() const {
    return QString::fromUtf8(testkit::readFile(folder_.filePath("access.log")));
}

void NginxServer::trust(const QString& certificateFile) {
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(QSslCertificate::fromPath(certificateFile));
    QSslConfiguration::setDefaultConfiguration(configuration);
}
