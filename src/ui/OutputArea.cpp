#include "ui/OutputArea.h"

#include "ui/TextStyle.h"

#include <QPlainTextEdit>

QPlainTextEdit* makeOutputArea(int height, QWidget* parent) {
    auto* area = new QPlainTextEdit(parent);
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    area->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    area->setFont(Look::monospaceCaption());
    area->setFixedHeight(height);
    area->setFrameShape(QFrame::NoFrame);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    area->setPalette(palette);
    return area;
}
