#include "ui/Symbol.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPixmap>

#include <initializer_list>

namespace {

// Symbols are drawn on a 24 × 24 grid and scaled to the box they are given.
constexpr double grid = 24.0;

QPainterPath circle(double cx, double cy, double r) {
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& p : points) {
        if (first)
            path.moveTo(p);
        else
            path.lineTo(p);
        first = false;
    }
    return path;
}

QPainterPath outlineOf(const QPainterPath& path, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path);
}

QPainterPath downArrow() {
    QPainterPath arrow = polyline({{12, 7}, {12, 16.5}});
    arrow.addPath(polyline({{8, 12.8}, {12, 16.8}, {16, 12.8}}));
    return arrow;
}

QPainterPath gear() {
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-1.7, -10.5, 3.4, 5), 0.8, 0.8);
        teeth.addPath(QTransform().translate(12, 12).rotate(i * 45.0).map(tooth));
    }
    return teeth.united(circle(12, 12, 7)).subtracted(circle(12, 12, 3));
}

QPainterPath gamepad() {
    QPainterPath body;
    body.addRoundedRect(QRectF(1.5, 6.5, 21, 12), 6, 6);
    QPainterPath pad;
    pad.addRect(QRectF(4.8, 11.6, 5.4, 1.8));
    pad.addRect(QRectF(6.6, 9.8, 1.8, 5.4));
    pad = pad.simplified();
    return body.subtracted(pad)
        .subtracted(circle(16.2, 11, 1.2))
        .subtracted(circle(18.6, 13.8, 1.2));
}

QPainterPath warningTriangle() {
    QPainterPath path = polyline({{12, 3}, {22, 20.5}, {2, 20.5}});
    path.closeSubpath();
    return path;
}

QPainterPath hourglass() {
    QPainterPath path = polyline({{6, 3.5}, {18, 3.5}});
    path.addPath(polyline({{6, 20.5}, {18, 20.5}}));
    path.addPath(polyline({{7.5, 3.5}, {7.5, 6}, {12, 12}, {7.5, 18}, {7.5, 20.5}}));
    path.addPath(polyline({{16.5, 3.5}, {16.5, 6}, {12, 12}, {16.5, 18}, {16.5, 20.5}}));
    return path;
}

// What a symbol consists of: strokes (drawn with the pen) and fills.
struct Drawing {
    QPainterPath strokes;
    QPainterPath fills;
};

Drawing drawingOf(Symbol symbol, double penWidth) {
    switch (symbol) {
    case Symbol::Play: {
        QPainterPath triangle = polyline({{7, 4.5}, {19.5, 12}, {7, 19.5}});
        triangle.closeSubpath();
        return {triangle, triangle};
    }
    case Symbol::Stop: {
        QPainterPath square;
        square.addRoundedRect(QRectF(5, 5, 14, 14), 2.5, 2.5);
        return {{}, square};
    }
    case Symbol::Cancel: {
        QPainterPath path = circle(12, 12, 9.5);
        path.addPath(polyline({{8.5, 8.5}, {15.5, 15.5}}));
        path.addPath(polyline({{15.5, 8.5}, {8.5, 15.5}}));
        return {path, {}};
    }
    case Symbol::Download: {
        QPainterPath path = circle(12, 12, 9.5);
        path.addPath(downArrow());
        return {path, {}};
    }
    case Symbol::Downloading:
        return {{}, circle(12, 12, 10.5).subtracted(outlineOf(downArrow(), penWidth))};
    case Symbol::SettingUp:
        return {{}, gear()};
    case Symbol::Ready: {
        QPainterPath path = circle(12, 12, 9.5);
        path.addPath(polyline({{7.5, 12.5}, {10.5, 15.5}, {16.5, 9}}));
        return {path, {}};
    }
    case Symbol::Waiting: {
        QPainterPath sand = polyline({{12, 16.5}, {15.2, 19.5}, {8.8, 19.5}});
        sand.closeSubpath();
        return {hourglass(), sand};
    }
    case Symbol::Playing:
        return {{}, gamepad()};
    case Symbol::Warning: {
        QPainterPath path = warningTriangle();
        path.addPath(polyline({{12, 9}, {12, 14}}));
        return {path, circle(12, 17.3, 1.2)};
    }
    case Symbol::Crosshair: {
        QPainterPath path = circle(12, 12, 8);
        path.addPath(polyline({{12, 1.5}, {12, 7}}));
        path.addPath(polyline({{12, 17}, {12, 22.5}}));
        path.addPath(polyline({{1.5, 12}, {7, 12}}));
        path.addPath(polyline({{17, 12}, {22.5, 12}}));
        return {path, circle(12, 12, 1.4)};
    }
    }
    return {};
}

QStringList themeNames(Symbol symbol) {
    switch (symbol) {
    case Symbol::Play:
        return {QStringLiteral("media-playback-start")};
    case Symbol::Cancel:
        return {QStringLiteral("process-stop")};
    case Symbol::Stop:
        return {QStringLiteral("media-playback-stop")};
    case Symbol::Download:
        return {QStringLiteral("go-down")};
    case Symbol::Downloading:
        return {QStringLiteral("emblem-downloads"), QStringLiteral("go-down")};
    case Symbol::SettingUp:
        return {QStringLiteral("preferences-system")};
    case Symbol::Ready:
        return {QStringLiteral("emblem-ok"), QStringLiteral("object-select")};
    case Symbol::Waiting:
        return {QStringLiteral("appointment-soon")};
    case Symbol::Playing:
        return {QStringLiteral("input-gaming")};
    case Symbol::Warning:
        return {QStringLiteral("dialog-warning")};
    case Symbol::Crosshair:
        return {};
    }
    return {};
}

} // namespace

namespace Symbols {

QPainterPath shape(Symbol symbol, const QRectF& box, double weight) {
    const double penWidth = weight * grid;
    const Drawing drawing = drawingOf(symbol, penWidth);
    const QPainterPath unit = outlineOf(drawing.strokes, penWidth).united(drawing.fills);
    return QTransform()
        .translate(box.left(), box.top())
        .scale(box.width() / grid, box.height() / grid)
        .map(unit);
}

void paint(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color,
           double weight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape(symbol, box, weight), color);
    painter.restore();
}

QIcon drawnIcon(Symbol symbol, const QColor& color) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(painter, symbol, QRectF(0, 0, size, size), color);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon icon(Symbol symbol, const QColor& color) {
    for (const QString& name : themeNames(symbol)) {
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return drawnIcon(symbol, color);
}

} // namespace Symbols
