#pragma once

#include "ui/TitledDialog.h"

#include <array>
#include <functional>

class AppModel;
class QComboBox;
class QWidget;

// How the game's window opens, and the upkeep of what the launcher keeps on disk.
class SettingsView : public TitledDialog {
    Q_OBJECT
public:
    static constexpr QSize dialogSize{460, 380};

    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);

    // "Fit to this screen" for the empty text, otherwise the size itself.
    static QString resolutionLabel(const QString& resolution);

private:
    // A labelled pair of segments bound to a yes/no setting of the model (yes: the second).
    struct TwoWay {
        QString label;
        const char* objectName;
        std::array<std::pair<const char*, const char*>, 2> segments; // title, object name
        std::function<bool()> get;
        std::function<void(bool)> set;
        void (AppModel::*changed)();
    };
    QWidget* makeTwoWayChoice(const TwoWay& choice);
    QWidget* makeResolutionChoice();
    QWidget* makeUnsavedNote(); // shown while the settings file refuses changes
    QWidget* makeMaintenanceRow();
    QWidget* makeFoldersRow();
    QWidget* makeBackupsRow();
    QWidget* labelledRow(const QString& label, QWidget* control);
    void syncResolution();

    AppModel& model_;
    QComboBox* resolution_ = nullptr;
};
