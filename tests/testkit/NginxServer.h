#pragma once

#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

// Debian's nginx on 127.0.0.1, HTTP/2 over TLS with a certificate made now, serving `root` for as
// long as the object lives: what a real server does with ranges, validators and HTTP/2. Anything
// under /to-http/ is redirected to the plain port.
class NginxServer {
public:
    explicit NginxServer(const QString& root) : folder_(QDir::homePath() + "/nginx-XXXXXX") {
        if (!installed() || !makeCertificate(folder_.path()))
            return;
        // Two ports free at once: both probes listen together, so they cannot be given the same.
        QTcpServer first, second;
        first.listen(QHostAddress::LocalHost);
        second.listen(QHostAddress::LocalHost);
        const quint16 port = first.serverPort(), plainPort = second.serverPort();
        first.close();
        second.close();
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
        if (listening && process_.state() == QProcess::Running)
            port_ = port;
    }
    ~NginxServer() {
        process_.terminate();
        process_.waitForFinished(5000);
    }

    static bool installed() { return QFileInfo(program).isExecutable(); }
    bool running() const { return port_ != 0; }
    QString baseUrl() const { return QString("https://127.0.0.1:%1").arg(port_); }
    QString accessLog() const {
        return QString::fromUtf8(testkit::readFile(folder_.filePath("access.log")));
    }
    QString certificatePath() const { return folder_.filePath("cert.pem"); }
    void trustCertificate() const { trust(certificatePath()); }
    // Lets downloads in this process accept the certificate in `certificateFile`.
    static void trust(const QString& certificateFile) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.addCaCertificates(QSslCertificate::fromPath(certificateFile));
        QSslConfiguration::setDefaultConfiguration(configuration);
    }

private:
    static inline const QString program = "/usr/sbin/nginx";

    // A self-signed certificate for 127.0.0.1 made in `folder` (cert.pem, key.pem).
    static bool makeCertificate(const QString& folder) {
        QProcess openssl;
        openssl.setWorkingDirectory(folder);
        openssl.start("openssl",
                      QString("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                              "-keyout key.pem -out cert.pem -days 2 -subj /CN=127.0.0.1 "
                              "-addext subjectAltName=IP:127.0.0.1")
                          .split(' '));
        return openssl.waitForFinished(60'000) && openssl.exitCode() == 0;
    }

    QTemporaryDir folder_;
    QProcess process_;
    quint16 port_ = 0;
};
