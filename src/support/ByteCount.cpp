#include "support/ByteCount.h"

#include <array>
#include <cmath>

namespace {

struct Unit {
    const char* name;
    int decimals;
};

constexpr std::array<Unit, 6> units{
    {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};

QString trimmedNumber(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

} // namespace

QString formatByteCount(qint64 bytes) {
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    const QString sign = bytes < 0 ? QStringLiteral("-") : QString();
    const double magnitude = std::fabs(static_cast<double>(bytes));
    if (magnitude < 1000) {
        const auto count = static_cast<qint64>(magnitude);
        return sign + QString::number(count) +
               (count == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));
    }
    double scale = 1000;
    for (size_t i = 0; i < units.size(); ++i, scale *= 1000) {
        const double value = magnitude / scale;
        const double factor = std::pow(10.0, units[i].decimals);
        const double rounded = std::round(value * factor) / factor;
        // Move up a unit when rounding would show "1000 KB".
        if (rounded < 1000 || i + 1 == units.size())
            return sign + trimmedNumber(rounded, units[i].decimals) + QLatin1Char(' ') +
                   QLatin1String(units[i].name);
    }
    return {};
}
