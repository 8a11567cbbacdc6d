#pragma once

#include "ui/Sheet.h"

class AppModel;
class QButtonGroup;
class QComboBox;
class QWidget;

// How the game's window opens, and the upkeep of what the launcher keeps on disk.
class SettingsView : public Sheet {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{460, 340};

    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);

    // "Fit to this screen" for the empty text, otherwise the size itself.
    static QString resolutionLabel(const QString& resolution);

private:
    QWidget* makeWindowChoice();
    QWidget* makeResolutionChoice();
    QWidget* makeMaintenanceRow();
    QWidget* makeFoldersRow();
    QWidget* labelledRow(const QString& label, QWidget* control);
    void syncWindowChoice();
    void syncResolution();

    AppModel& model_;
    QButtonGroup* windowMode_ = nullptr;
    QComboBox* resolution_ = nullptr;
};
