#include "project/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <array>

namespace ProjectInspector {

namespace {

constexpr int searchLevels = 4; // the folder itself and three levels below it

} // namespace

std::optional<QString> findProject(const QString& folder) {
    QStringList level{folder};
    for (int depth = 0; depth < searchLevels && !level.isEmpty(); ++depth) {
        QStringList next;
        for (const QString& dir : std::as_const(level)) {
            if (QFileInfo::exists(dir + QStringLiteral("/project.godot")))
                return dir;
            // Without QDir::Hidden, dot-folders are left out. Links are not
            // followed so that a link loop cannot send the search in circles.
            const QFileInfoList entries = QDir(dir).entryInfoList(
                QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Unsorted);
            for (const QFileInfo& entry : entries)
                next.append(entry.filePath());
        }
        level = std::move(next);
    }
    return std::nullopt;
}

std::optional<QString> readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    // Stateless: a multi-byte sequence cut off at the end is an error, not "more to come".
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

std::optional<QString> value(const QString& key, const QString& text) {
    const QString prefix = key + QLatin1Char('=');
    for (const QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        // trimmed() also drops a carriage return, so CRLF files read like LF ones.
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(prefix))
            return trimmed.mid(prefix.size()).toString();
    }
    return std::nullopt;
}

QString engineVersion(qint64 major, const QString& features) {
    if (major == 3)
        return QStringLiteral("3.5.3");
    static constexpr std::array<const char*, 6> releases{"4.0.4", "4.1.4", "4.2.2",
                                                         "4.3",   "4.4.1", "4.5"};
    // A minor release newer than the table's gets its own first release, never an older one.
    static const QRegularExpression tag(QStringLiteral("\"4\\.(\\d{1,3})\""));
    const QRegularExpressionMatch match = tag.match(features);
    if (!match.hasMatch())
        return QStringLiteral("4.3");
    const int minor = match.captured(1).toInt();
    if (minor < int(releases.size()))
        return QLatin1String(releases[minor]);
    return QStringLiteral("4.%1").arg(minor);
}

QString readFirst(const QStringList& names, const QString& folder) {
    for (const QString& name : names) {
        if (std::optional<QString> text = readText(folder + QLatin1Char('/') + name))
            return *text;
    }
    return {};
}

} // namespace ProjectInspector
