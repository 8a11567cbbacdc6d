#pragma once

#include <QWidget>

class AppModel;
class QLabel;
class QProgressBar;

// Where the launcher stands: the phase, what needs the user, the current step
// and how far along it is.
class StatusSection : public QWidget {
    Q_OBJECT
public:
    // The progress bar's range when the amount of work is known.
    static constexpr int progressSteps = 1000;

    explicit StatusSection(AppModel& model, QWidget* parent = nullptr);

private:
    void syncPhase();
    void syncStep();
    void syncProgress();

    AppModel& model_;
    QLabel* symbol_;
    QLabel* title_;
    QLabel* needs_;
    QLabel* step_;
    QProgressBar* bar_;
    QLabel* detail_;
    QLabel* waiting_;
};
