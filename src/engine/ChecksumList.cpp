#include "engine/ChecksumList.h"

#include <QRegularExpression>
#include <QStringList>

namespace ChecksumList {

std::optional<QString> digestFor(const QString& text, const QString& assetName) {
    // A carriage return counts as white space too, so a list saved with CR LF still matches.
    static const QRegularExpression fieldBreak(QStringLiteral("[ \t\r]+"));
    std::optional<QString> digest;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(fieldBreak, Qt::SkipEmptyParts);
        if (fields.size() < 2)
            continue;
        QString name = fields[1];
        while (name.startsWith(QLatin1Char('*')))
            name.remove(0, 1);
        while (name.endsWith(QLatin1Char('*')))
            name.chop(1);
        if (name == assetName)
            digest = fields[0].toLower();
    }
    return digest;
}

} // namespace ChecksumList
