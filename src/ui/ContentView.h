#pragma once

#include <QScrollArea>

class AppModel;
class FailureView;
class LogView;
class QPushButton;
class QVBoxLayout;

// The content of the launcher's window: one scrolling column with the banner, the game's
// details, a newer version when there is one, the big action button, the status, the last
// failure, the log, and the buttons for the log and the two dialogs.
class ContentView : public QScrollArea {
    Q_OBJECT
public:
    static constexpr int margin = 20;
    static constexpr int spacing = 16;

    explicit ContentView(AppModel& model, QWidget* parent = nullptr);

    void openSettings();
    void openAbout();

private:
    void syncFailure();
    void syncLog();
    void orderFocus();

    AppModel& model_;
    QVBoxLayout* column_;
    QWidget* status_;
    QWidget* bottomRow_;
    QPushButton* logButton_;
    QPushButton* settingsButton_;
    QPushButton* aboutButton_;
    FailureView* failureView_ = nullptr;
    LogView* logView_ = nullptr;
};
