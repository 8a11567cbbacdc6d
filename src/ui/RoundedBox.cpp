#include "ui/RoundedBox.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

RoundedBox::RoundedBox(const QColor& fill, int inset, QWidget* parent)
    : QWidget(parent), fill_(fill), content_(new QVBoxLayout(this)) {
    content_->setContentsMargins(inset, inset, inset, inset);
}

void RoundedBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect(), cornerRadius, cornerRadius);
    painter.fillPath(shape, fill_);
}
