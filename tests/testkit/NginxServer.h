#pragma once

#include <QProcess>
#include <QTemporaryDir>

// Debian's nginx on 127.0.0.1, HTTP/2 over TLS with a certificate made now, serving `root` for as
// long as the object lives: what a real server does with ranges, validators and HTTP/2. Anything
// under /to-http/ is redirected to the plain port.
class NginxServer {
public:
    explicit NginxServer(const QString& root);
    ~NginxServer();

    static bool installed();
    bool running() const { return port_ != 0; }
    QString baseUrl() const { return QString("https://127.0.0.1:%1").arg(port_); }
    // The same files over plain HTTP/1.1.
    QString plainUrl() const { return QString("http://127.0.0.1:%1").arg(plainPort_); }
    QString accessLog() const;
    QString certificatePath() const { return folder_.filePath("cert.pem"); }
    void trustCertificate() const { trust(certificatePath()); }
    // Lets downloads in this process accept the certificate in `certificateFile`.
    static void trust(const QString& certificateFile);

private:
    QTemporaryDir folder_;
    QProcess process_;
    quint16 port_ = 0;
    quint16 plainPort_ = 0;
};
