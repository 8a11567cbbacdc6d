#pragma once

#include <QColor>
#include <QWidget>

class QVBoxLayout;

// A tinted panel with rounded corners whose content is inset by a margin.
class RoundedBox : public QWidget {
    Q_OBJECT
public:
    RoundedBox(const QColor& fill, int inset, QWidget* parent = nullptr);

    QVBoxLayout* content() const { return content_; }

    static constexpr int cornerRadius = 8;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    QVBoxLayout* content_;
};
