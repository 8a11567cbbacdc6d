#pragma once

#include <QIcon>
#include <QImage>
#include <QLinearGradient>
#include <QPainterPath>

// The application's icon: the banner's crosshair in white on its gradient.
namespace AppIcon {

struct Geometry {
    QRectF plate;         // the rounded square behind the mark
    double cornerRadius;  // of the plate
    QLinearGradient fill; // of the plate
    QPainterPath mark;    // the crosshair, a filled outline
};

// The icon on a canvas of side × side.
Geometry geometry(double side);
QImage image(int side);
QIcon icon();

} // namespace AppIcon
