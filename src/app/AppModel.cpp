#include "app/AppModel.h"

#include "app/InstalledGame.h"
#include "app/LaunchRun.h"
#include "app/ProgressDisplay.h"
#include "download/DownloadProgress.h"
#include "support/Paths.h"

#include <QFileInfo>
#include <QSettings>

namespace {
const QString fullscreenKey = QStringLiteral("fullscreen");
const QString resolutionKey = QStringLiteral("resolution");
const QString graphicsKey = QStringLiteral("graphics");
const QString compatibilityValue = QStringLiteral("compatibility");
} // namespace

AppModel::AppModel(AppEnvironment environment, QObject* parent)
    : QObject(parent), env_(std::move(environment)) {
    if (env_.settings) {
        fullscreen_ = env_.settings->value(fullscreenKey, false).toBool();
        resolution_ = env_.settings->value(resolutionKey, QString()).toString();
        compatibilityGraphics_ = env_.settings->value(graphicsKey).toString() == compatibilityValue;
    }
    connect(&updateCheck_, &UpdateCheck::answered, this, &AppModel::setUpdateAvailable);
    playingWatch_.setSingleShot(true);
    connect(&playingWatch_, &QTimer::timeout, this, [this] {
        const auto job = runner().job();
        if (phase_.kind() == Phase::Kind::Starting && job && job->isRunning())
            setPhase(Phase::Kind::Playing);
    });
    refresh();
}

AppModel::~AppModel() {
    shutdown();
}

GameRunner& AppModel::runner() {
    if (!runner_)
        runner_ = std::make_unique<GameRunner>(log_, env_.importTiming);
    return *runner_;
}

bool AppModel::isGameRunning() const {
    return phase_.kind() == Phase::Kind::Starting || phase_.kind() == Phase::Kind::Playing;
}

bool AppModel::canCancel() const {
    return phase_.kind() == Phase::Kind::Downloading || phase_.kind() == Phase::Kind::SettingUp;
}

void AppModel::setPhase(Phase phase) {
    phase_ = std::move(phase);
    emit phaseChanged();
}

void AppModel::setStepText(const QString& text) {
    stepText_ = text;
    emit stepTextChanged();
}

void AppModel::setProgress(std::optional<double> progress) {
    progress_ = progress;
    emit progressChanged();
}

void AppModel::setDetailText(const QString& text) {
    detailText_ = text;
    emit detailTextChanged();
}

void AppModel::setInfo(std::optional<GameInfo> info) {
    const auto commit = [](const std::optional<GameInfo>& game) {
        return game && game->installed ? game->installed->commit : QString();
    };
    // An answer about another install says nothing about this one.
    if (commit(info) != commit(info_))
        setUpdateAvailable(std::nullopt);
    info_ = std::move(info);
    emit infoChanged();
}

void AppModel::setUpdateAvailable(std::optional<bool> available) {
    updateAvailable_ = available;
    emit updateAvailableChanged();
}

void AppModel::checkForUpdate() {
    if (info_ && info_->installed)
        updateCheck_.start(*info_->installed);
}

void AppModel::setFailure(std::optional<Failure> failure) {
    failure_ = std::move(failure);
    emit failureChanged();
}

void AppModel::setHasSaves(bool hasSaves) {
    hasSaves_ = hasSaves;
    emit hasSavesChanged();
}

void AppModel::setShowLog(bool show) {
    showLog_ = show;
    emit showLogChanged();
}

void AppModel::setFullscreen(bool fullscreen) {
    fullscreen_ = fullscreen;
    emit fullscreenChanged();
    storeSetting(fullscreenKey, fullscreen);
}

void AppModel::setResolution(const QString& size) {
    resolution_ = size;
    emit resolutionChanged();
    storeSetting(resolutionKey, size);
}

void AppModel::setCompatibilityGraphics(bool compatibility) {
    compatibilityGraphics_ = compatibility;
    emit graphicsChanged();
    storeSetting(graphicsKey, compatibility ? compatibilityValue : QStringLiteral("standard"));
}

// An option that never reaches the disk is back to its old value on the next start, and a
// cure that sets one would be offered again and again; so the loss is made known.
void AppModel::storeSetting(const QString& key, const QVariant& value) {
    if (!env_.settings)
        return;
    env_.settings->setValue(key, value);
    env_.settings->sync();
    unsavedSettingsFile_ =
        env_.settings->status() == QSettings::NoError ? QString() : env_.settings->fileName();
    emit unsavedSettingsFileChanged();
}

void AppModel::apply(const DownloadProgress& progress) {
    const ProgressDisplay display = describeProgress(progress);
    setProgress(display.fraction);
    setDetailText(display.detail);
}

void AppModel::refresh() {
    if (run_)
        return;
    const InstalledGame installed = InstalledGame::read();
    setInfo(installed.info);
    setPhase(installed.isReady() ? Phase::Kind::Ready : Phase::Kind::NotDownloaded);
    setHasSaves(installed.info &&
                QFileInfo::exists(Paths::savesFolder(installed.info->projectName)));
}
