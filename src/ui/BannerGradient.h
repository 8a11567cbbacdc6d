#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QRectF>

// The banner's colours, deep blue at the top left to red at the bottom right;
// the application icon wears them too.
inline QLinearGradient bannerGradient(const QRectF& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, QColor::fromRgbF(0.1f, 0.14f, 0.3f));
    gradient.setColorAt(1, QColor::fromRgbF(0.85f, 0.3f, 0.2f));
    return gradient;
}
