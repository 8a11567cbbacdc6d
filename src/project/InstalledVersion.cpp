#include "project/InstalledVersion.h"

#include "support/Problem.h"

#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const QString fileName = QStringLiteral("/.installed-version.json");

QString ago(qint64 seconds) {
    const auto count = [](qint64 n, const char* unit) {
        return QStringLiteral("%1 %2%3 ago").arg(n).arg(QLatin1String(unit),
                                                       n == 1 ? QString() : QStringLiteral("s"));
    };
    if (seconds < 60)
        return QStringLiteral("just now");
    if (seconds < 3600)
        return count(seconds / 60, "minute");
    if (seconds < 86400)
        return count(seconds / 3600, "hour");
    return count(seconds / 86400, "day");
}

} // namespace

std::optional<InstalledVersion> InstalledVersion::read(const QString& gameFolder) {
    QFile file(gameFolder + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
    const QDateTime downloaded =
        QDateTime::fromString(record.value(QLatin1String("downloaded")).toString(), Qt::ISODate);
    if (!downloaded.isValid())
        return std::nullopt;
    return InstalledVersion{commitIn(record.value(QLatin1String("commit")).toString().toLatin1()),
                            record.value(QLatin1String("branch")).toString(), downloaded,
                            record.value(QLatin1String("validator")).toString()};
}

void InstalledVersion::write(const QString& gameFolder) const {
    QSaveFile file(gameFolder + fileName);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(json()).toJson()) < 0 || !file.commit())
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("Could not write %1 (%2).").arg(file.fileName(),
                                                                     file.errorString()));
}

QString InstalledVersion::commitIn(const QByteArray& zipComment) {
    static const QRegularExpression sha(QStringLiteral("^[0-9a-f]{40}$"));
    const QString text = QString::fromLatin1(zipComment.trimmed());
    return sha.match(text).hasMatch() ? text : QString();
}

QString InstalledVersion::describe(const QDateTime& now) const {
    const QString when =
        QStringLiteral("downloaded ") + ago(std::max<qint64>(0, downloaded.secsTo(now)));
    return commit.isEmpty() ? when : QStringLiteral("commit %1, %2").arg(commit.left(7), when);
}

QJsonObject InstalledVersion::json() const {
    return {{QStringLiteral("commit"), commit},
            {QStringLiteral("branch"), branch},
            {QStringLiteral("downloaded"), downloaded.toUTC().toString(Qt::ISODate)},
            {QStringLiteral("validator"), validator}};
}
