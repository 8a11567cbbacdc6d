#include "app/AppModel.h"

#include "app/DisplayOptions.h"
#include "app/LaunchRun.h"
#include "app/ProgressDisplay.h"
#include "download/FileDownloader.h"
#include "engine/EngineManager.h"
#include "project/ProjectFile.h"
#include "project/ProjectInspector.h"
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
    info_ = std::move(info);
    emit infoChanged();
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
    if (env_.settings)
        env_.settings->setValue(fullscreenKey, fullscreen);
}

void AppModel::setResolution(const QString& size) {
    resolution_ = size;
    emit resolutionChanged();
    if (env_.settings)
        env_.settings->setValue(resolutionKey, size);
}

void AppModel::setCompatibilityGraphics(bool compatibility) {
    compatibilityGraphics_ = compatibility;
    emit graphicsChanged();
    if (env_.settings)
        env_.settings->setValue(graphicsKey,
                                compatibility ? compatibilityValue : QStringLiteral("standard"));
}

void AppModel::apply(const DownloadProgress& progress) {
    const ProgressDisplay display = describeProgress(progress);
    setProgress(display.fraction);
    setDetailText(display.detail);
}

void AppModel::refresh() {
    if (run_)
        return;
    const auto project = ProjectInspector::findProject(Paths::gameFolder());
    if (!project) {
        setInfo(std::nullopt);
        setPhase(Phase::Kind::NotDownloaded);
        setHasSaves(false);
        return;
    }
    const GameInfo info = ProjectInspector::inspect(*project);
    setInfo(info);
    const EngineSpec spec = EngineSpec::forGame(&info);
    const bool ready = EngineManager::executable(spec) && GameRunner::isImported(*project, spec);
    setPhase(ready ? Phase::Kind::Ready : Phase::Kind::NotDownloaded);
    setHasSaves(QFileInfo::exists(Paths::savesFolder(info.projectName)));
}
