#pragma once

#include <QColor>
#include <QIcon>

class QPainter;
class QPainterPath;
class QRectF;

// The pictograms of the window. Each has a desktop theme icon and a drawn
// stand-in, so that nothing is blank on a system without an icon theme.
enum class Symbol {
    Play,
    Cancel,
    Stop,
    Download,
    Downloading,
    SettingUp,
    Ready,
    Waiting,
    Playing,
    Warning,
    Crosshair,
};

namespace Symbols {

// The theme's icon when it has one, otherwise the drawn one in `color`.
QIcon icon(Symbol symbol, const QColor& color);
// Always the drawn icon: for symbols on coloured buttons, where a theme icon's
// fixed colours would not follow the button's text colour.
QIcon drawnIcon(Symbol symbol, const QColor& color);
// The symbol as one filled outline inside `box` (a square works best), with
// strokes of `weight` relative to the box's size (0.08 is regular).
QPainterPath shape(Symbol symbol, const QRectF& box, double weight = 0.08);
// Fills that outline with `color`.
void paint(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color,
           double weight = 0.08);

} // namespace Symbols
