#include "app/DisplayOptions.h"

QString fitResolution(std::optional<QSizeF> screenArea) {
    if (!screenArea)
        return {};
    double w = screenArea->width() * 0.9;
    double h = screenArea->height() * 0.9 - 30;
    if (w / h > 16.0 / 9.0)
        w = h * 16.0 / 9.0;
    else
        h = w * 9.0 / 16.0;
    const auto width = static_cast<long long>(w);
    const auto height = static_cast<long long>(h);
    if (width < 640 || height < 360)
        return {};
    return QStringLiteral("%1x%2").arg(width - width % 2).arg(height - height % 2);
}
