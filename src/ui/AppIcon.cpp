#include "ui/AppIcon.h"

#include "ui/BannerGradient.h"
#include "ui/Symbol.h"

#include <QPainter>

namespace AppIcon {

Geometry geometry(double side) {
    // Desktop icons leave a little room around their shape.
    const double inset = side / 16;
    const QRectF plate(inset, inset, side - 2 * inset, side - 2 * inset);
    const double markSide = plate.width() * 0.7;
    const QRectF markBox(plate.center().x() - markSide / 2, plate.center().y() - markSide / 2,
                         markSide, markSide);
    return {plate, plate.width() * 0.22, bannerGradient(plate),
            Symbols::shape(Symbol::Crosshair, markBox, 0.09)};
}

QImage image(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    const Geometry g = geometry(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(g.plate, g.cornerRadius, g.cornerRadius);
    painter.fillPath(plate, g.fill);
    painter.fillPath(g.mark, Qt::white);
    return image;
}

QIcon icon() {
    QIcon result;
    for (int side : {16, 24, 32, 48, 64, 128, 256})
        result.addPixmap(QPixmap::fromImage(image(side)));
    return result;
}

} // namespace AppIcon
