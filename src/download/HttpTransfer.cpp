#include "download/HttpTransfer.h"

#include "download/HttpHeaders.h"
#include "download/TransportErrorText.h"
#include "support/CancelToken.h"
#include "support/Problem.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <memory>

namespace {

// Bounds what the network layer buffers ahead of us (it stops reading the socket when full).
// Small pieces stay in the processor's cache between socket, hash and file; larger ones
// measured slower on loopback.
constexpr qint64 readBufferSize = 256 * 1024;
constexpr qsizetype pieceSize = 64 * 1024;

bool isSuccess(int status) {
    return status >= 200 && status <= 299;
}

bool isNetworkLayer(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

QString hostOf(const QUrl& url) {
    return url.host().isEmpty() ? url.toDisplayString() : url.host();
}

Problem::Kind kindOf(QNetworkReply::NetworkError error) {
    using E = QNetworkReply::NetworkError;
    switch (error) {
    case E::ConnectionRefusedError:
        return Problem::Kind::Refused;
    case E::RemoteHostClosedError:
    case E::TemporaryNetworkFailureError:
    case E::NetworkSessionFailedError:
        return Problem::Kind::Dropped;
    case E::TimeoutError:
        return Problem::Kind::TimedOut;
    default:
        return Problem::Kind::Network;
    }
}

} // namespace

HttpTransfer::HttpTransfer(QNetworkAccessManager& network, DownloadTimeouts timeouts,
                           ResponseHandler onResponse, BodySink sink)
    : network_(network), timeouts_(std::move(timeouts)), onResponse_(std::move(onResponse)),
      sink_(std::move(sink)) {
    connectTimer_.setSingleShot(true);
    stallTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, [this] {
        giveUp(TransportErrorText::connectTimedOut(hostOf(reply_->url()), timeouts_.connect));
    });
    connect(&stallTimer_, &QTimer::timeout, this, [this] {
        giveUp(TransportErrorText::stalled(hostOf(reply_->url()), timeouts_.stall));
    });
}

void HttpTransfer::cancel() {
    cancelled_ = true;
    QMetaObject::invokeMethod(this, &HttpTransfer::abortReply, Qt::QueuedConnection);
}

void HttpTransfer::abortReply() {
    if (reply_)
        reply_->abort();
}

void HttpTransfer::giveUp(const QString& sentence) {
    timeoutSentence_ = sentence;
    abortReply();
}

bool HttpTransfer::run(const QUrl& url, const Headers& headers) {
    if (cancelled_)
        throw Cancelled();
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        throw Problem(Problem::Kind::Network,
                      TransportErrorText::unsupportedScheme(url.toDisplayString()));

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    // The bytes as published, never re-encoded on the way, so that a declared length can be
    // checked against what arrived.
    request.setRawHeader("Accept-Encoding", "identity");
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    const std::unique_ptr<QNetworkReply> reply(network_.get(request));
    reply_ = reply.get();
    reply->setReadBufferSize(readBufferSize);

    QEventLoop loop;
    connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(reply.get(), &QNetworkReply::requestSent, this, &HttpTransfer::sawLife);
    connect(reply.get(), &QNetworkReply::metaDataChanged, this, &HttpTransfer::sawLife);
    connect(reply.get(), &QNetworkReply::redirected, this, [this] {
        stallTimer_.stop();
        connectTimer_.start(timeouts_.connect);
    });
    connect(reply.get(), &QNetworkReply::readyRead, this, &HttpTransfer::readBody);
    connect(reply.get(), &QNetworkReply::sslErrors, this,
            [this](const QList<QSslError>& errors) { sslErrors_ = errors; });
    stallTimer_.setInterval(timeouts_.stall);
    connectTimer_.start(timeouts_.connect);
    if (!reply->isFinished())
        loop.exec();

    readBody();
    connectTimer_.stop();
    stallTimer_.stop();
    reply_ = nullptr;
    return outcome(*reply);
}

// The connection stands once the request went out; from then on only silence counts.
void HttpTransfer::sawLife() {
    connectTimer_.stop();
    stallTimer_.start();
}

void HttpTransfer::readBody() {
    if (!reply_ || !reply_->isOpen() || sinkError_ || declined_)
        return;
    sawLife();
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || !isSuccess(status.toInt())) {
        reply_->skip(reply_->bytesAvailable());
        return;
    }
    buffer_.resize(pieceSize);
    try {
        if (!std::exchange(bodyStarted_, true)) {
            const QVariant length = reply_->header(QNetworkRequest::ContentLengthHeader);
            expected_ = length.isValid() ? std::max<qint64>(0, length.toLongLong()) : -1;
            const QByteArray type =
                reply_->header(QNetworkRequest::ContentTypeHeader).toByteArray();
            if (HttpHeaders::isWebPageType(type))
                refuseWebPage();
            const QByteArray etag = reply_->rawHeader("ETag");
            if (!onResponse_({status.toInt(), expected_, reply_->rawHeader("Content-Range"),
                              etag.isEmpty() ? reply_->rawHeader("Last-Modified") : etag})) {
                declined_ = true;
                reply_->abort();
                return;
            }
        }
        for (qint64 n; (n = reply_->read(buffer_.data(), buffer_.size())) > 0;) {
            if (received_ == 0 && status.toInt() == 200 &&
                HttpHeaders::startsLikeHtml(QByteArrayView(buffer_.constData(), n)))
                refuseWebPage();
            received_ += n;
            sink_(QByteArrayView(buffer_.constData(), n));
        }
    } catch (...) {
        sinkError_ = std::current_exception();
        reply_->abort();
    }
}

void HttpTransfer::refuseWebPage() const {
    throw Problem(Problem::Kind::WebPage, TransportErrorText::webPage(hostOf(reply_->url())));
}

bool HttpTransfer::outcome(const QNetworkReply& reply) {
    if (cancelled_)
        throw Cancelled();
    if (sinkError_)
        std::rethrow_exception(sinkError_);
    if (declined_)
        return false;
    if (!timeoutSentence_.isEmpty())
        throw Problem(Problem::Kind::TimedOut, timeoutSentence_);
    const QNetworkReply::NetworkError error = reply.error();
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!isNetworkLayer(error) && status.isValid() && !isSuccess(status.toInt()))
        throw Problem::http(status.toInt(), HttpHeaders::retryAfter(reply.rawHeader("Retry-After")));
    // Qt may end a body cut short by a closed connection as if it were complete.
    if (error == QNetworkReply::NoError && expected_ >= 0 && received_ != expected_)
        throw Problem(Problem::Kind::Dropped,
                      TransportErrorText::forError(QNetworkReply::RemoteHostClosedError,
                                                   hostOf(reply.url()), {}));
    if (error == QNetworkReply::NoError)
        return true;
    const QString detail =
        !sslErrors_.isEmpty() ? sslErrors_.first().errorString() : reply.errorString();
    throw Problem(kindOf(error), TransportErrorText::forError(error, hostOf(reply.url()), detail));
}
