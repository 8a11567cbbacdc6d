#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QWidget;

// The handful of text styles the window uses, scaled from the desktop's own
// font so that they follow the user's font size.
enum class TextStyle { Body, Headline, Callout, Subheadline, Caption, Title2, LargeTitle };

namespace Look {

QFont font(TextStyle style);
QFont monospaceCaption();

// Colours that carry meaning in the window.
QColor secondaryText(const QWidget* widget);
inline QColor warningText() {
    return QColor(0xc2, 0x5e, 0x00);
}
inline QColor failureText() {
    return QColor(0xc8, 0x1e, 0x1e);
}

void setTextColor(QWidget* widget, const QColor& color);
inline QColor translucent(QColor color, float opacity) {
    color.setAlphaF(opacity);
    return color;
}

// A word-wrapping label in the given style, optionally in the secondary colour.
QLabel* label(const QString& text, TextStyle style, QWidget* parent = nullptr);
QLabel* secondaryLabel(const QString& text, TextStyle style, QWidget* parent = nullptr);

} // namespace Look
