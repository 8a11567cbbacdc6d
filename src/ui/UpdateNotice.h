#pragma once

#include <QWidget>

class AppModel;
class QPushButton;

// "A newer version of Brennick is available", with the button that updates: shown only once a
// check has said so, never in the way of Play.
class UpdateNotice : public QWidget {
    Q_OBJECT
public:
    explicit UpdateNotice(AppModel& model, QWidget* parent = nullptr);

private:
    void sync();

    AppModel& model_;
    QPushButton* update_;
};
