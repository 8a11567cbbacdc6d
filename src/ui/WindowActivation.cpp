#include "ui/WindowActivation.h"

#include "support/InstanceLock.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

constexpr int answerTimeoutMs = 2000;
constexpr int attempts =
    20; // 100 ms apart: the open window may have its lock but not yet its socket

// One name per user and data folder, the way the lock is; on Linux the socket lives in the
// abstract namespace, so a crash leaves no file behind.
QString socketName() {
    const QByteArray hash =
        QCryptographicHash::hash(InstanceLock::path().toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("quillfire-") + QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

WindowActivation::WindowActivation(QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection())
            socket->deleteLater();
        emit requested();
    });
    server_->listen(socketName());
}

bool WindowActivation::askOpenWindow() {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(socketName());
        if (socket.waitForConnected(answerTimeoutMs)) {
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(100);
    }
    return false;
}
