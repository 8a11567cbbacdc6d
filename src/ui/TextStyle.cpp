#include "ui/TextStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>

namespace {

// Relative sizes of the styles, taking the body text as 1.
struct StyleSpec {
    double scale;
    QFont::Weight weight;
};

StyleSpec specOf(TextStyle style) {
    switch (style) {
    case TextStyle::Body:
        return {1.0, QFont::Normal};
    case TextStyle::Headline:
        return {1.0, QFont::DemiBold};
    case TextStyle::Callout:
        return {0.93, QFont::Normal};
    case TextStyle::Subheadline:
        return {0.86, QFont::Normal};
    case TextStyle::Caption:
        return {0.8, QFont::Normal};
    case TextStyle::Title2:
        return {1.3, QFont::Normal};
    case TextStyle::LargeTitle:
        return {2.0, QFont::Normal};
    }
    return {1.0, QFont::Normal};
}

QFont scaled(QFont font, double scale) {
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else
        font.setPixelSize(qRound(font.pixelSize() * scale));
    return font;
}

} // namespace

namespace Look {

QFont font(TextStyle style) {
    const StyleSpec spec = specOf(style);
    QFont font = scaled(QApplication::font(), spec.scale);
    font.setWeight(spec.weight);
    return font;
}

QFont monospaceCaption() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont body = QApplication::font();
    if (body.pointSizeF() > 0)
        font.setPointSizeF(body.pointSizeF() * specOf(TextStyle::Caption).scale);
    return font;
}

QColor secondaryText(const QWidget* widget) {
    QColor color = widget->palette().color(QPalette::WindowText);
    color.setAlphaF(0.6f);
    return color;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QLabel* label(const QString& text, TextStyle style, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font(style));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QLabel* secondaryLabel(const QString& text, TextStyle style, QWidget* parent) {
    QLabel* result = label(text, style, parent);
    setTextColor(result, secondaryText(result));
    return result;
}

} // namespace Look
