#include "download/HttpHeaders.h"

#include <QDateTime>
#include <QString>

namespace HttpHeaders {

std::optional<std::pair<qint64, qint64>> contentRange(const QByteArray& value) {
    const QString text = QString::fromLatin1(value).trimmed();
    if (!text.startsWith(QLatin1String("bytes ")))
        return std::nullopt;
    bool ok = false;
    const qint64 start = text.mid(6).section(QLatin1Char('-'), 0, 0).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return std::pair{start, text.section(QLatin1Char('/'), 1).toLongLong()};
}

std::chrono::seconds retryAfter(const QByteArray& value) {
    bool isNumber = false;
    const qint64 seconds = value.trimmed().toLongLong(&isNumber);
    if (isNumber)
        return std::chrono::seconds(std::max<qint64>(0, seconds));
    const QDateTime at =
        QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::RFC2822Date);
    if (!at.isValid())
        return std::chrono::seconds(-1);
    return std::chrono::seconds(std::max<qint64>(0, QDateTime::currentDateTimeUtc().secsTo(at)));
}

bool isWebPageType(const QByteArray& value) {
    return value.trimmed().toLower().startsWith("text/html");
}

bool startsLikeHtml(QByteArrayView start) {
    const QByteArray head =
        start.first(std::min<qsizetype>(start.size(), 64)).toByteArray().trimmed().toLower();
    return head.startsWith("<!doctype html") || head.startsWith("<html");
}

} // namespace HttpHeaders
