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

// One GET, run on the calling thread from the request to the end of the final response
// (redirects followed, never from https to http). The body of a 2xx answer is handed to
// the sink piece by piece as it arrives; any other body is dropped.
class HttpTransfer : public QObject {
    Q_OBJECT
public:
    // Gets each piece of a 2xx body and the expected total (0 when unknown). An exception
    // thrown here ends the transfer and leaves run() with that exception.
    using BodySink = std::function<void(QByteArrayView piece, qint64 total)>;

    HttpTransfer(DownloadTimeouts timeouts, BodySink sink);

    // Blocks in a local event loop until the transfer ended. Throws DownloadError::http for a
    // final status outside 200-299, TransportError when the network failed, Cancelled after
    // cancel(). One run per object.
    void run(const QUrl& url);

    // Any thread, any time; makes run() end with Cancelled within moments.
    void cancel();

private:
    void abortReply();
    void readBody();
    void sawLife();
    void giveUp(const QString& sentence);
    void throwOutcome(const QNetworkReply& reply);

    DownloadTimeouts timeouts_;
    BodySink sink_;
    std::atomic<bool> cancelled_ = false;
    QNetworkReply* reply_ = nullptr;
    QTimer connectTimer_;
    QTimer stallTimer_;
    QByteArray buffer_;
    qint64 total_ = -1; // the final response's declared length, 0 when it has none
    qint64 received_ = 0;
    QList<QSslError> sslErrors_;
    QString timeoutSentence_;
    std::exception_ptr sinkError_;
};
