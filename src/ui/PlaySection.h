#pragma once

#include <QWidget>

class AppModel;
class QLabel;
class QPushButton;

// The one big action of the moment: Play, Cancel while work goes on, or Stop
// while the game runs.
class PlaySection : public QWidget {
    Q_OBJECT
public:
    explicit PlaySection(AppModel& model, QWidget* parent = nullptr);

    // The big button that is shown now.
    QPushButton* currentButton() const;

private:
    void sync();

    AppModel& model_;
    QPushButton* play_;
    QPushButton* cancel_;
    QPushButton* stop_;
    QLabel* note_;
};
