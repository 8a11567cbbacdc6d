#include "ui/SettingsView.h"

#include "app/AppModel.h"
#include "app/PlatformWords.h"
#include "app/PreviousGame.h"
#include "app/SaveBackups.h"
#include "ui/RestoreSavesView.h"
#include "ui/TextStyle.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int rowLabelWidth = 80;

QPushButton* button(const QString& text, const char* objectName, QWidget* parent) {
    auto* result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(objectName));
    result->setAccessibleName(text);
    result->setAutoDefault(false);
    return result;
}

QWidget* row(std::initializer_list<QWidget*> widgets, QWidget* parent) {
    auto* container = new QWidget(parent);
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    layout->addStretch(1);
    return container;
}

} // namespace

SettingsView::SettingsView(AppModel& model, QWidget* parent)
    : TitledDialog(QStringLiteral("Settings"), dialogSize, 14, parent), model_(model) {
    setObjectName(QStringLiteral("settingsView"));
    column()->addWidget(
        makeTwoWayChoice({QStringLiteral("Window"),
                          "windowMode",
                          {{{"Windowed", "windowedChoice"}, {"Fullscreen", "fullscreenChoice"}}},
                          [this] { return model_.fullscreen(); },
                          [this](bool on) { model_.setFullscreen(on); },
                          &AppModel::fullscreenChanged}));
    column()->addWidget(makeResolutionChoice());
    column()->addWidget(makeTwoWayChoice(
        {QStringLiteral("Graphics"),
         "graphicsMode",
         {{{"Standard", "standardGraphicsChoice"}, {"Compatibility", "compatibilityChoice"}}},
         [this] { return model_.compatibilityGraphics(); },
         [this](bool on) { model_.setCompatibilityGraphics(on); },
         &AppModel::graphicsChanged}));
    column()->addWidget(Look::secondaryLabel(
        QStringLiteral("Applies the next time you press Play."), TextStyle::Caption, this));
    column()->addWidget(makeUnsavedNote());
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    column()->addWidget(divider);
    column()->addWidget(makeMaintenanceRow());
    column()->addWidget(makeFoldersRow());
    column()->addWidget(makeBackupsRow());
    addDoneRow();
}

QString SettingsView::resolutionLabel(const QString& resolution) {
    return resolution.isEmpty() ? QStringLiteral("Fit to this screen") : resolution;
}

QWidget* SettingsView::labelledRow(const QString& label, QWidget* control) {
    auto* caption = new QLabel(label, this);
    caption->setMinimumWidth(rowLabelWidth);
    caption->setBuddy(control);
    return row({caption, control}, this);
}

QWidget* SettingsView::makeTwoWayChoice(const TwoWay& choice) {
    // Two joined toggle buttons, of which exactly one is down.
    auto* segments = new QWidget(this);
    segments->setObjectName(QLatin1String(choice.objectName));
    segments->setAccessibleName(choice.label);
    auto* layout = new QHBoxLayout(segments);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    for (int id = 0; id < 2; ++id) {
        const auto& [text, objectName] = choice.segments[static_cast<size_t>(id)];
        QPushButton* segment = button(QLatin1String(text), objectName, segments);
        segment->setCheckable(true);
        group->addButton(segment, id);
        layout->addWidget(segment);
    }
    connect(group, &QButtonGroup::idClicked, &model_, [set = choice.set](int id) { set(id == 1); });
    const auto sync = [group, get = choice.get] { group->button(get() ? 1 : 0)->setChecked(true); };
    connect(&model_, choice.changed, group, sync);
    sync();
    return labelledRow(choice.label, segments);
}

QWidget* SettingsView::makeResolutionChoice() {
    resolution_ = new QComboBox(this);
    resolution_->setObjectName(QStringLiteral("resolutionChoice"));
    resolution_->setAccessibleName(QStringLiteral("Resolution"));
    for (const QString& choice : GameRunner::resolutionChoices)
        resolution_->addItem(resolutionLabel(choice), choice);
    connect(resolution_, &QComboBox::activated, &model_,
            [this](int index) { model_.setResolution(resolution_->itemData(index).toString()); });
    connect(&model_, &AppModel::resolutionChanged, this, &SettingsView::syncResolution);
    syncResolution();
    return labelledRow(QStringLiteral("Resolution"), resolution_);
}

QWidget* SettingsView::makeUnsavedNote() {
    QLabel* note = Look::label(QString(), TextStyle::Caption, this);
    note->setObjectName(QStringLiteral("unsavedSettingsNote"));
    Look::setTextColor(note, Look::failureText());
    const auto sync = [this, note] {
        const QString file = model_.unsavedSettingsFile();
        note->setText(
            QStringLiteral("Could not save this in %1; it lasts until you quit.").arg(file));
        note->setVisible(!file.isEmpty());
    };
    connect(&model_, &AppModel::unsavedSettingsFileChanged, note, sync);
    sync();
    return note;
}

QWidget* SettingsView::makeMaintenanceRow() {
    QPushButton* update = button(QStringLiteral("Update the game"), "updateButton", this);
    update->setToolTip(QStringLiteral("Downloads the game again. Saved games are kept."));
    QPushButton* repair = button(QStringLiteral("Check and repair"), "repairButton", this);
    repair->setToolTip(QStringLiteral("Downloads the game or Godot again if their files changed "
                                      "since they were installed. Saved games are untouched."));
    QPushButton* back =
        button(QStringLiteral("Go back to the previous version"), "rollbackButton", this);
    back->setToolTip(QStringLiteral("The version before the last update. Saved games are backed "
                                    "up first."));
    back->setVisible(PreviousGame::exists());
    QPushButton* reinstall = button(QStringLiteral("Reinstall"), "reinstallButton", this);
    QPushButton* remove = button(QStringLiteral("Remove everything"), "removeButton", this);
    connect(update, &QPushButton::clicked, this, [this] {
        model_.start(RunRequest::update());
        accept();
    });
    connect(back, &QPushButton::clicked, this, [this] {
        model_.start(RunRequest::rollBack());
        accept();
    });
    connect(repair, &QPushButton::clicked, this, [this] {
        model_.start(RunRequest::repair(false));
        accept();
    });
    // These two ask their question over the window, so the dialog goes first.
    connect(reinstall, &QPushButton::clicked, this, [this] {
        accept();
        model_.reinstall();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        accept();
        model_.removeEverything();
    });
    // Two rows, for one would not fit the dialog: the game's version, then repairs.
    auto* maintenance = new QWidget(this);
    auto* rows = new QVBoxLayout(maintenance);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(row({update, back}, maintenance));
    rows->addWidget(row({repair, reinstall, remove}, maintenance));
    maintenance->setObjectName(QStringLiteral("maintenanceRow"));
    const auto sync = [this, maintenance] { maintenance->setEnabled(!model_.isWorking()); };
    connect(&model_, &AppModel::workingChanged, maintenance, sync);
    sync();
    return maintenance;
}

QWidget* SettingsView::makeFoldersRow() {
    QPushButton* reveal = button(PlatformWords::revealButton(), "revealButton", this);
    QPushButton* saves = button(QStringLiteral("Show saves"), "showSavesButton", this);
    connect(reveal, &QPushButton::clicked, &model_, &AppModel::revealInFileManager);
    connect(saves, &QPushButton::clicked, &model_, &AppModel::showSaves);
    const auto sync = [this, saves] { saves->setEnabled(model_.hasSaves()); };
    connect(&model_, &AppModel::hasSavesChanged, saves, sync);
    sync();
    return row({reveal, saves}, this);
}

QWidget* SettingsView::makeBackupsRow() {
    QLabel* count = Look::secondaryLabel(QString(), TextStyle::Body, this);
    count->setObjectName(QStringLiteral("backupCount"));
    count->setWordWrap(false);
    QPushButton* restore =
        button(QStringLiteral("Restore saves\u2026"), "restoreSavesButton", this);
    connect(restore, &QPushButton::clicked, this,
            [this] { (new RestoreSavesView(model_, this))->open(); });
    // A run and a restore each add one; reading the folder is quick.
    const auto sync = [this, count, restore] {
        const qsizetype backups = SaveBackups::list().size();
        count->setText(backups == 0   ? QStringLiteral("No backups of saved games yet")
                       : backups == 1 ? QStringLiteral("1 backup of saved games")
                                      : QStringLiteral("%1 backups of saved games").arg(backups));
        restore->setEnabled(backups > 0 && !model_.isWorking());
    };
    connect(&model_, &AppModel::workingChanged, count, sync);
    connect(&model_, &AppModel::restoreFinished, count, sync);
    connect(&model_, &AppModel::removalFinished, count, sync);
    sync();
    return row({restore, count}, this);
}

void SettingsView::syncResolution() {
    // A size set on the command line that the menu does not offer is shown as one more entry.
    const QString size = model_.resolution();
    if (resolution_->findData(size) < 0)
        resolution_->addItem(resolutionLabel(size), size);
    resolution_->setCurrentIndex(resolution_->findData(size));
}
