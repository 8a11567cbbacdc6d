#pragma once

#include <QMainWindow>

class AppModel;

// The launcher's one window. Closing it quits, after asking while the game runs.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr QSize minimumWindowSize{620, 700};

    explicit MainWindow(AppModel& model, QWidget* parent = nullptr);

    // True when the launcher may quit now; asks once while the game runs.
    bool mayQuit();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppModel& model_;
    bool quitAgreed_ = false;
};
