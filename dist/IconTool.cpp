// Writes the application icon as SVG and as PNGs of the given sizes, all drawn
// from the one geometry the window uses, so the files cannot drift apart.
//   quillfire_icon_tool <output folder> <size>...

#include "ui/AppIcon.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

QString number(double value) {
    return QString::number(value, 'f', 2);
}

QString pathData(const QPainterPath& path) {
    QStringList parts;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QString point = number(e.x) + QLatin1Char(' ') + number(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            parts << QStringLiteral("M") + point;
            break;
        case QPainterPath::LineToElement:
            parts << QStringLiteral("L") + point;
            break;
        case QPainterPath::CurveToElement:
            parts << QStringLiteral("C") + point;
            break;
        case QPainterPath::CurveToDataElement:
            parts << point;
            break;
        }
    }
    return parts.join(QLatin1Char(' '));
}

QString svg(double side) {
    const AppIcon::Geometry g = AppIcon::geometry(side);
    QString stops;
    for (const QGradientStop& stop : g.fill.stops())
        stops += QStringLiteral("      <stop offset=\"%1\" stop-color=\"%2\"/>\n")
                     .arg(number(stop.first), stop.second.name());
    const QString fillRule = g.mark.fillRule() == Qt::WindingFill ? QStringLiteral("nonzero")
                                                                  : QStringLiteral("evenodd");
    return QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                          "viewBox=\"0 0 %1 %1\">\n"
                          "  <defs>\n"
                          "    <linearGradient id=\"banner\" gradientUnits=\"userSpaceOnUse\" "
                          "x1=\"%2\" y1=\"%3\" x2=\"%4\" y2=\"%5\">\n%6"
                          "    </linearGradient>\n"
                          "  </defs>\n"
                          "  <rect x=\"%7\" y=\"%8\" width=\"%9\" height=\"%9\" rx=\"%10\" "
                          "fill=\"url(#banner)\"/>\n"
                          "  <path fill=\"#ffffff\" fill-rule=\"%11\" d=\"%12\"/>\n"
                          "</svg>\n")
        .arg(number(side), number(g.fill.start().x()), number(g.fill.start().y()),
             number(g.fill.finalStop().x()), number(g.fill.finalStop().y()), stops,
             number(g.plate.x()), number(g.plate.y()), number(g.plate.width()))
        .arg(number(g.cornerRadius), fillRule, pathData(g.mark));
}

bool writeText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream(&file) << text;
    return file.flush();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillfire_icon_tool <output folder> <size>...\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path()) ||
        !writeText(out.filePath(QStringLiteral("quillfire.svg")), svg(256))) {
        std::fprintf(stderr, "cannot write the SVG icon\n");
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const int side = QByteArray(argv[i]).toInt();
        const QString file = out.filePath(QStringLiteral("quillfire-%1.png").arg(side));
        if (side <= 0 || !AppIcon::image(side).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
