#pragma once

#include "ui/Symbol.h"
#include "ui/TextStyle.h"

class QPushButton;
class QWidget;

// The one big action button of the window in its three looks.
enum class BigButtonLook {
    Prominent,   // filled with the accent colour
    Bordered,    // an ordinary framed button
    Destructive, // filled red
};

struct BigButtonSpec {
    QString title;
    Symbol symbol;
    TextStyle style;
    int padding;
    BigButtonLook look;
};

// A full-width button showing the symbol followed by the title.
QPushButton* makeBigButton(const BigButtonSpec& spec, QWidget* parent);
