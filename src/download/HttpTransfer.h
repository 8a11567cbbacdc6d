#pragma once

#include "download/DownloadTimeouts.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QSslError>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <exception>
#include <functional>

class QNetworkReply;

// What the final response says about its body, read once its headers are in.
struct HttpResponse {
    int status = 0;
    qint64 length = -1;      // Content-Length; -1 when none was sent
    QByteArray contentRange; // of a 206: "bytes 100-999/1000"
    QByteArray validator;    // ETag, or Last-Modified without one: what If-Range can name
};

class QNetworkAccessManager;

// One GET, run on the calling thread from the request to the end of the final response
// (redirects followed, never from https to http). The body of a 2xx answer is handed to
// the sink piece by piece as it arrives; any other body is dropped. A web page (by its type or
// its first bytes) is refused: every file asked for here is data.
class HttpTransfer : public QObject {
    Q_OBJECT
public:
    // Called once with a 2xx final response, before its first piece reaches the sink; false
    // declines the body, which ends the transfer quietly. An exception thrown by either ends
    // the transfer and leaves run() with that exception.
    using ResponseHandler = std::function<bool(const HttpResponse&)>;
    using BodySink = std::function<void(QByteArrayView piece)>;
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // `network` belongs to the calling thread and may serve many transfers, one at a time.
    HttpTransfer(QNetworkAccessManager& network, DownloadTimeouts timeouts,
                 ResponseHandler onResponse, BodySink sink);

    // Blocks in a local event loop until the transfer ended. Throws Problem::http for a final
    // status outside 200-299, a WebPage problem, a network problem when the network failed (a
    // body shorter than its declared length included), Cancelled after cancel(). One run per
    // object. False when the response handler declined the body.
    bool run(const QUrl& url, const Headers& headers = {});

    // Any thread, any time; makes run() end with Cancelled within moments.
    void cancel();

private:
    void abortReply();
    void readBody();
    void sawLife();
    void giveUp(const QString& sentence);
    bool outcome(const QNetworkReply& reply);

    [[noreturn]] void refuseWebPage() const;

    QNetworkAccessManager& network_;
    DownloadTimeouts timeouts_;
    ResponseHandler onResponse_;
    BodySink sink_;
    std::atomic<bool> cancelled_ = false;
    QNetworkReply* reply_ = nullptr;
    QTimer connectTimer_;
    QTimer stallTimer_;
    QByteArray buffer_;
    bool bodyStarted_ = false;
    bool declined_ = false;
    qint64 expected_ = -1; // the final response's declared length, -1 when it has none
    qint64 received_ = 0;
    QList<QSslError> sslErrors_;
    QString timeoutSentence_;
    std::exception_ptr sinkError_;
};
