#pragma once

#include "testkit/HttpTestServer.h"

#include <QHash>
#include <QIODevice>
#include <QMutex>
#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace testkit {

// What the test thread sets and the server thread reads.
struct HttpTestServer::State {
    mutable QMutex mutex;
    QString root;
    QHash<QString, HttpRoute> routes;
    QStringList log;

    // Logs the request target and says how to answer it.
    HttpRoute routeFor(const QByteArray& target);
};

// One accepted connection: reads one request, answers it as its route says, and closes
// (unless the route stalls). Owns the socket; deletes itself when the peer is gone.
class HttpTestServerConnection : public QObject {
    Q_OBJECT
public:
    HttpTestServerConnection(QTcpSocket* socket, std::shared_ptr<HttpTestServer::State> state,
                             QObject* parent);

private:
    void readRequest();
    void respond();
    void pump();
    bool sendNext(qint64 size);
    void endBody();

    QTcpSocket* socket_;
    std::shared_ptr<HttpTestServer::State> state_;
    QByteArray request_;
    bool answered_ = false;
    bool ended_ = false;
    HttpRoute route_;
    std::unique_ptr<QIODevice> body_;
    qint64 sent_ = 0;
    qint64 limit_ = 0;
    QTimer trickle_;
};

} // namespace testkit
