#include "testkit/HttpTestServerConnection.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>

namespace testkit {

namespace {

constexpr qint64 pieceSize = 1024 * 1024;
constexpr qint64 writeAhead = 4 * 1024 * 1024; // back-pressure: never queue more than this
constexpr qsizetype maxRequestSize = 64 * 1024;

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpRoute HttpTestServer::State::routeFor(const QByteArray& target) {
    const QString path = QUrl(QString::fromUtf8(target)).path();
    QMutexLocker lock(&mutex);
    log.append(QString::fromUtf8(target));
    if (const auto it = routes.constFind(path); it != routes.constEnd())
        return *it;
    const QString file = QDir::cleanPath(root + QLatin1Char('/') + path);
    if (!root.isEmpty() && file.startsWith(QDir::cleanPath(root) + QLatin1Char('/')) &&
        QFileInfo(file).isFile()) {
        HttpRoute route;
        route.file = file;
        return route;
    }
    HttpRoute missing;
    missing.status = 404;
    missing.body = "Not found\n";
    return missing;
}

HttpTestServerConnection::HttpTestServerConnection(QTcpSocket* socket,
                                                   std::shared_ptr<HttpTestServer::State> state,
                                                   QObject* parent)
    : QObject(parent), socket_(socket), state_(std::move(state)) {
    socket_->setParent(this);
    connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(socket_, &QTcpSocket::readyRead, this, &HttpTestServerConnection::readRequest);
    connect(&trickle_, &QTimer::timeout, this, [this] { sendNext(route_.trickleBytes); });
    readRequest();
}

void HttpTestServerConnection::readRequest() {
    if (answered_) {
        socket_->readAll();
        return;
    }
    request_ += socket_->readAll();
    if (request_.size() > maxRequestSize) {
        socket_->abort();
        return;
    }
    if (!request_.contains("\r\n\r\n"))
        return;
    answered_ = true;
    const QList<QByteArray> requestLine = request_.left(request_.indexOf("\r\n")).split(' ');
    route_ = state_->routeFor(requestLine.value(1));
    respond();
}

void HttpTestServerConnection::respond() {
    if (route_.silent)
        return;
    QByteArray head;
    if (!route_.redirectTo.isEmpty()) {
        const int status = route_.status / 100 == 3 ? route_.status : 302;
        head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
               "\r\nLocation: " + route_.redirectTo.toUtf8() +
               "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        socket_->write(head);
        socket_->disconnectFromHost();
        return;
    }
    if (route_.file.isEmpty()) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(route_.body);
        body_ = std::move(buffer);
    } else {
        body_ = std::make_unique<QFile>(route_.file);
    }
    body_->open(QIODevice::ReadOnly);
    const qint64 size = body_->size();
    limit_ = route_.dropAfter >= 0    ? route_.dropAfter
             : route_.stallAfter >= 0 ? route_.stallAfter
                                      : size;

    head = "HTTP/1.1 " + QByteArray::number(route_.status) + ' ' + reasonPhrase(route_.status) +
           "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (route_.framing == HttpRoute::Framing::ContentLength)
        head += "Content-Length: " + QByteArray::number(size) + "\r\n";
    else if (route_.framing == HttpRoute::Framing::Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    socket_->write(head + "\r\n");

    if (route_.trickleBytes > 0) {
        trickle_.start(route_.trickleInterval);
    } else {
        connect(socket_, &QTcpSocket::bytesWritten, this, &HttpTestServerConnection::pump);
        pump();
    }
}

void HttpTestServerConnection::pump() {
    while (socket_->bytesToWrite() < writeAhead && sendNext(pieceSize)) {
    }
}

// Sends up to `size` more body bytes; false once the body (or its allowed part) is out.
bool HttpTestServerConnection::sendNext(qint64 size) {
    if (ended_)
        return false;
    const QByteArray piece = body_->read(std::min(size, limit_ - sent_));
    if (piece.isEmpty()) {
        endBody();
        return false;
    }
    if (route_.framing == HttpRoute::Framing::Chunked)
        socket_->write(QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n");
    else
        socket_->write(piece);
    sent_ += piece.size();
    return true;
}

void HttpTestServerConnection::endBody() {
    ended_ = true;
    trickle_.stop();
    if (route_.stallAfter >= 0 && route_.dropAfter < 0)
        return; // keep the socket open and say nothing more
    if (route_.dropAfter < 0 && route_.framing == HttpRoute::Framing::Chunked)
        socket_->write("0\r\n\r\n");
    socket_->disconnectFromHost();
}

} // namespace testkit
