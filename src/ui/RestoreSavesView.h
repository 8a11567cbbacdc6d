#pragma once

#include "ui/TitledDialog.h"

class AppModel;
class QLabel;
class QListWidget;
class QPushButton;

// The backups of the saved games, newest first; the one chosen and confirmed is restored.
class RestoreSavesView : public TitledDialog {
    Q_OBJECT
public:
    static constexpr QSize dialogSize{420, 360};

    explicit RestoreSavesView(AppModel& model, QWidget* parent = nullptr);

private:
    void fillList();
    void restoreChosen();
    void showResult(const QString& failure);

    AppModel& model_;
    QListWidget* list_;
    QPushButton* restore_;
    QLabel* result_;
};
