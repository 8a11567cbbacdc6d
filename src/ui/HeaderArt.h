#pragma once

#include <QWidget>

// The title banner at the top of the window: the launcher's name and what it
// runs, on a blue-to-red gradient.
class HeaderArt : public QWidget {
    Q_OBJECT
public:
    static constexpr int bannerHeight = 130;
    static constexpr int cornerRadius = 16;
    static constexpr int symbolSize = 64;

    explicit HeaderArt(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont titleFont() const;
    QString subtitle_;
};
