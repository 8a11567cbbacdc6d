#include "ui/BigButton.h"

#include <QFontMetrics>
#include <QPushButton>

namespace {

struct Colours {
    QColor fill;
    QColor text;
    QColor border;
};

Colours coloursOf(BigButtonLook look, const QPalette& palette) {
    switch (look) {
    case BigButtonLook::Prominent:
        return {palette.color(QPalette::Highlight), Qt::white, {}};
    case BigButtonLook::Destructive:
        return {QColor(0xd7, 0x30, 0x27), Qt::white, {}};
    case BigButtonLook::Bordered:
        return {palette.color(QPalette::Button), palette.color(QPalette::ButtonText),
                palette.color(QPalette::Mid)};
    }
    return {};
}

QString styleSheet(const Colours& c, int padding) {
    const QColor border = c.border.isValid() ? c.border : c.fill;
    return QStringLiteral("QPushButton { background: %1; color: %2; border: 1px solid %3;"
                          " border-radius: 8px; padding: %4px; }"
                          "QPushButton:hover { background: %5; }"
                          "QPushButton:pressed { background: %6; }"
                          "QPushButton:focus { border: 2px solid %7; }"
                          "QPushButton:disabled { background: %8; color: %9; }")
        .arg(c.fill.name(), c.text.name(), border.name())
        .arg(padding)
        .arg(c.fill.lighter(108).name(), c.fill.darker(115).name(), c.fill.darker(150).name(),
             c.fill.lighter(140).name(), c.text.darker(110).name());
}

} // namespace

QPushButton* makeBigButton(const BigButtonSpec& spec, QWidget* parent) {
    auto* button = new QPushButton(spec.title, parent);
    button->setAccessibleName(spec.title);
    QFont font = Look::font(spec.style);
    font.setBold(true);
    button->setFont(font);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    const Colours colours = coloursOf(spec.look, button->palette());
    button->setStyleSheet(styleSheet(colours, spec.padding));
    const bool filled = spec.look != BigButtonLook::Bordered;
    button->setIcon(filled ? Symbols::drawnIcon(spec.symbol, colours.text)
                           : Symbols::icon(spec.symbol, colours.text));
    const int iconSide = QFontMetrics(font).ascent();
    button->setIconSize(QSize(iconSide, iconSide));
    return button;
}
