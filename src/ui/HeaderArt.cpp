#include "ui/HeaderArt.h"

#include "app/PlatformWords.h"
#include "ui/BannerGradient.h"
#include "ui/Symbol.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
constexpr int rowSpacing = 18;
constexpr int textSpacing = 4;
constexpr int titlePixelSize = 30;
constexpr double symbolWeight = 0.09; // a little heavier than regular
} // namespace

HeaderArt::HeaderArt(QWidget* parent)
    : QWidget(parent), subtitle_(PlatformWords::headerSubtitle()) {
    setObjectName(QStringLiteral("headerArt"));
    setFixedHeight(bannerHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Quillfire"));
    setAccessibleDescription(subtitle_);
}

QSize HeaderArt::sizeHint() const {
    return {480, bannerHeight};
}

QFont HeaderArt::titleFont() const {
    QFont font = this->font();
    font.setPixelSize(titlePixelSize);
    font.setWeight(QFont::Black);
    return font;
}

void HeaderArt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF banner = rect();
    QPainterPath shape;
    shape.addRoundedRect(banner, cornerRadius, cornerRadius);
    painter.fillPath(shape, bannerGradient(banner));

    const QString title = QStringLiteral("Quillfire");
    const QFont bigFont = titleFont();
    const QFontMetricsF titleMetrics(bigFont);
    const QFontMetricsF subtitleMetrics(font());
    const double textWidth = std::max(titleMetrics.horizontalAdvance(title),
                                      subtitleMetrics.horizontalAdvance(subtitle_));
    const double textHeight = titleMetrics.height() + textSpacing + subtitleMetrics.height();
    const double rowWidth = symbolSize + rowSpacing + textWidth;
    const double left = (banner.width() - rowWidth) / 2;
    const double middle = banner.height() / 2;

    Symbols::paint(painter, Symbol::Crosshair,
                   QRectF(left, middle - symbolSize / 2.0, symbolSize, symbolSize), Qt::white,
                   symbolWeight);

    const double textLeft = left + symbolSize + rowSpacing;
    const double top = middle - textHeight / 2;
    painter.setPen(Qt::white);
    painter.setFont(bigFont);
    painter.drawText(QPointF(textLeft, top + titleMetrics.ascent()), title);
    QColor faded(Qt::white);
    faded.setAlphaF(0.85f);
    painter.setPen(faded);
    painter.setFont(font());
    painter.drawText(
        QPointF(textLeft, top + titleMetrics.height() + textSpacing + subtitleMetrics.ascent()),
        subtitle_);
}
