#include "app/LaunchRun.h"

#include "app/AppModel.h"
#include "app/PlatformWords.h"
#include "download/DownloadError.h"
#include "download/FileDownloader.h"
#include "download/RepoDownloader.h"
#include "engine/EngineManager.h"
#include "patch/GamePatch.h"
#include "project/ProjectFile.h"
#include "project/ProjectInspector.h"
#include "support/Paths.h"
#include "support/Volumes.h"

#include <QDir>
#include <QMetaObject>
#include <QThread>

#include <mutex>

namespace {

// Godot would be downloaded again on every Play and never start.
QString noProgramsSentence(const QString& folder) {
    return QStringLiteral("Programs can't run from %1: its drive is mounted with noexec, so Godot "
                          "can't start there. Point XDG_DATA_HOME at a folder on another drive "
                          "and press Play again.")
        .arg(folder);
}

QString engineStepText(const EngineSpec& spec) {
    return QStringLiteral("Step 2 of 4 \u00b7 Downloading Godot ") + spec.version +
           (spec.mono ? QStringLiteral(" (.NET)") : QString()) + QStringLiteral(" (about 70 MB)");
}

// Progress arrives for every chunk; the window only needs the newest value, so
// at most one report waits in the GUI thread's queue at a time.
struct ProgressMailbox {
    std::mutex mutex;
    DownloadProgress latest;
    bool pending = false;
};

} // namespace

LaunchRun::LaunchRun(AppModel& model, Request request)
    : model_(&model), runner_(model.runner()), downloads_(model.env_.downloads), log_(model.log()),
      request_(std::move(request)) {}

LaunchRun::~LaunchRun() {
    cancel();
    wait();
    delete thread_;
}

void LaunchRun::start() {
    thread_ = QThread::create([this] {
        const RunResult result = execute();
        post([result](AppModel& model) { model.finishRun(result); });
    });
    thread_->start();
}

void LaunchRun::cancel() {
    token_.cancel();
    gameStop_.cancel();
}

void LaunchRun::stopGame() {
    gameStop_.cancel();
}

void LaunchRun::wait() {
    if (thread_)
        thread_->wait();
}

void LaunchRun::post(std::function<void(AppModel&)> change) {
    QPointer<AppModel> model = model_;
    if (!model)
        return;
    QMetaObject::invokeMethod(
        model.data(),
        [model, change = std::move(change)] {
            if (model)
                change(*model);
        },
        Qt::QueuedConnection);
}

void LaunchRun::showStep(Phase::Kind phase, const QString& step, const QString& detail) {
    post([=](AppModel& model) {
        model.setPhase(phase);
        model.setStepText(step);
        model.setProgress(std::nullopt);
        model.setDetailText(detail);
    });
}

std::shared_ptr<FileDownloader> LaunchRun::makeDownloader() {
    auto mailbox = std::make_shared<ProgressMailbox>();
    const auto onRetry = [this](const Retries::Notice& notice) {
        const QString wait = QStringLiteral("trying again in %1 s (%2 of %3)")
                                 .arg(notice.secondsLeft)
                                 .arg(notice.attempt)
                                 .arg(notice.attempts);
        if (notice.starts)
            log_.append(notice.sentence + QStringLiteral(" T") + wait.mid(1) + QLatin1Char('.'));
        post([detail = notice.reason + QStringLiteral(" \u00b7 ") + wait](AppModel& model) {
            model.setDetailText(detail);
        });
    };
    const auto onProgress = [this, mailbox](const DownloadProgress& progress) {
        std::lock_guard lock(mailbox->mutex);
        mailbox->latest = progress;
        if (std::exchange(mailbox->pending, true))
            return;
        post([mailbox](AppModel& model) {
            DownloadProgress newest;
            {
                std::lock_guard lock(mailbox->mutex);
                newest = mailbox->latest;
                mailbox->pending = false;
            }
            model.apply(newest);
        });
    };
    return std::make_shared<FileDownloader>(onProgress, downloads_, onRetry);
}

RunResult LaunchRun::execute() {
    RunResult result;
    try {
        steps(result);
    } catch (const Cancelled&) {
        result.kind = RunResult::Kind::Cancelled;
    } catch (const TransportError& error) {
        result = {RunResult::Kind::Failed, {}, error.description(), true};
    } catch (const UserError& error) {
        result = {RunResult::Kind::Failed, {}, error.description(), false};
    } catch (const std::exception& error) {
        result = {RunResult::Kind::Failed, {}, QString::fromLocal8Bit(error.what()), false};
    }
    // A cancel that raced with the last step still reads as the user's cancel.
    if (result.kind == RunResult::Kind::Failed && token_.isCancelled())
        result.kind = RunResult::Kind::Cancelled;
    return result;
}

void LaunchRun::steps(RunResult& result) {
    const MakeDownloader downloaderFactory = [this] { return makeDownloader(); };

    auto project = ProjectInspector::findProject(Paths::gameFolder());
    if (!project || request_.forceGame) {
        showStep(Phase::Kind::Downloading,
                 QStringLiteral("Step 1 of 4 \u00b7 Downloading the game"), {});
        if (!QDir().mkpath(Paths::supportRoot()))
            throw FileSystemError(
                QStringLiteral("Could not create the folder %1.").arg(Paths::supportRoot()));
        RepoDownloader::fetchGame(downloaderFactory, log_, token_);
        project = ProjectInspector::findProject(Paths::gameFolder());
    }
    if (!project)
        throw DownloadError::message(QStringLiteral("The game folder has no project.godot file."));

    const GameInfo info = ProjectInspector::inspect(*project);
    post([info](AppModel& model) { model.setInfo(info); });
    GamePatch::applyHipFire(*project, log_);
    if (info.usesCSharp)
        throw DownloadError::message(PlatformWords::csharpRefusal());
    token_.throwIfCancelled();

    const EngineSpec spec = EngineSpec::forGame(&info);
    if (!EngineManager::executable(spec)) {
        if (!Volumes::allowsPrograms(Paths::engineFolder()))
            throw DownloadError::message(noProgramsSentence(Paths::supportRoot()));
        showStep(Phase::Kind::Downloading, engineStepText(spec), {});
        EngineManager::install(spec, downloaderFactory, log_, token_);
    }
    const auto engine = EngineManager::executable(spec);
    if (!engine)
        throw DownloadError::message(QStringLiteral("The Godot engine is missing."));

    if (!GameRunner::isImported(*project, spec)) {
        showStep(
            Phase::Kind::SettingUp,
            QStringLiteral("Step 3 of 4 \u00b7 First-time setup, this can take a minute or more"),
            QStringLiteral(
                "Godot is preparing the game's files. A Godot window may appear briefly."));
        runner_.runImport(*engine, *project, spec, token_);
    }
    if (!request_.launch)
        return;
    token_.throwIfCancelled();

    post([](AppModel& model) {
        model.setStepText({});
        model.setDetailText({});
        model.setPhase(Phase::Kind::Starting);
        model.startPlayingWatch();
    });
    result.outcome = runner_.play(*engine, *project, spec.major, request_.options, gameStop_);
    // A cancel that ended the game just as it started is still the user's cancel.
    token_.throwIfCancelled();
    result.kind = RunResult::Kind::GameEnded;
}
