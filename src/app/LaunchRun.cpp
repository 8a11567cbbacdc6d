#include "app/LaunchRun.h"

#include "app/InstalledGame.h"
#include "app/OutcomeExplanation.h"
#include "app/PlatformWords.h"
#include "app/PreviousGame.h"
#include "app/SaveBackups.h"
#include "download/FileDownloader.h"
#include "download/RepoDownloader.h"
#include "download/SystemProxyFactory.h"
#include "engine/EngineManager.h"
#include "patch/GamePatch.h"
#include "patch/HipFireEdits.h"
#include "project/ProjectInspector.h"
#include "support/FolderManifest.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "support/Volumes.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QThread>

namespace {

// Godot would be downloaded again on every Play and never start.
QString noProgramsSentence(const QString& folder) {
    return QStringLiteral("Programs can't run from %1: its drive is mounted with noexec, so Godot "
                          "can't start there. Point XDG_DATA_HOME at a folder on another drive "
                          "and press Play again.")
        .arg(folder);
}

QString damagedEngineSentence() {
    return QStringLiteral("Godot's files changed since it was installed (damaged on disk), so it "
                          "can't start. Repair downloads it again: Check and repair in Settings, "
                          "or quillfire repair.");
}

const QString gameStepText = QStringLiteral("Step 1 of 4 \u00b7 Downloading the game");

QString engineStepText(const EngineSpec& spec) {
    return QStringLiteral("Step 2 of 4 \u00b7 Downloading Godot ") + spec.version +
           (spec.mono ? QStringLiteral(" (.NET)") : QString()) + QStringLiteral(" (about 70 MB)");
}

void makeSupportRoot() {
    if (!QDir().mkpath(Paths::supportRoot()))
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("Could not create the folder %1.").arg(Paths::supportRoot()));
}

// Progress arrives for every piece of a download; the window needs a few a second.
constexpr qint64 progressIntervalMs = 50;

} // namespace

LaunchRun::LaunchRun(GameRunner& runner, DownloadTimeouts downloads, LogStore& log,
                     RunRequest request, RunOptions options)
    : runner_(runner), downloads_(std::move(downloads)), log_(log), request_(request),
      options_(std::move(options)) {}

LaunchRun::~LaunchRun() {
    cancel();
    wait();
    delete thread_;
}

void LaunchRun::start() {
    thread_ = QThread::create([this] { emit finished(execute()); });
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

void LaunchRun::reportProgress(const DownloadProgress& progress) {
    const bool complete = progress.total > 0 && progress.received >= progress.total;
    if (!complete && sinceProgress_.isValid() && sinceProgress_.elapsed() < progressIntervalMs)
        return;
    sinceProgress_.start();
    emit progressed(progress);
}

std::shared_ptr<FileDownloader> LaunchRun::makeDownloader(QNetworkAccessManager& network) {
    const auto onRetry = [this](const Retries::Notice& notice) {
        const QString wait = QStringLiteral("trying again in %1 s (%2 of %3)")
                                 .arg(notice.secondsLeft)
                                 .arg(notice.attempt)
                                 .arg(notice.attempts);
        if (notice.starts)
            log_.append(notice.sentence + QStringLiteral(" T") + wait.mid(1) + QLatin1Char('.'));
        emit retrying(notice.reason + QStringLiteral(" \u00b7 ") + wait);
    };
    return std::make_shared<FileDownloader>(
        [this](const DownloadProgress& progress) { reportProgress(progress); }, downloads_, onRetry,
        &network);
}

RunResult LaunchRun::execute() {
    RunResult result;
    try {
        // One network manager for every transfer of the run, on the run's thread.
        QNetworkAccessManager network;
        network.setProxyFactory(new SystemProxyFactory);
        steps(result, network);
    } catch (const Cancelled&) {
        result.ending = RunResult::Ending::Cancelled;
    } catch (const Problem& problem) {
        result.ending = RunResult::Ending::Failed;
        result.problem = problem;
    } catch (const std::exception& error) {
        result.ending = RunResult::Ending::Failed;
        result.problem = Problem(Problem::Kind::Unexpected, QString::fromLocal8Bit(error.what()));
    }
    // A cancel that raced with the last step still reads as the user's cancel.
    if (result.ending == RunResult::Ending::Failed && token_.isCancelled())
        result.ending = RunResult::Ending::Cancelled;
    return result;
}

// A new version of the game may rewrite the saves when it first runs, so a change to the
// install starts with a copy of them; one that cannot be made stops the run before any change.
void LaunchRun::backUpSaves(const std::optional<GameInfo>& info) {
    if (!info || !SaveBackups::hasSaves(info))
        return;
    emit stepStarted(Phase::Kind::SettingUp, QStringLiteral("Backing up your saved games"), {});
    if (const std::optional<QString> zip = SaveBackups::backUp(info))
        log_.append(QStringLiteral("Saved games backed up to ") + *zip);
}

// The game and its Godot both downloaded, checked and unpacked beside the installed ones, then
// swapped in together: a failure or a cancel on the way leaves the earlier install as it was.
void LaunchRun::reinstall(const MakeDownloader& downloaders) {
    emit stepStarted(Phase::Kind::Downloading, gameStepText, {});
    makeSupportRoot();
    StagedFolder game = RepoDownloader::stageGame(downloaders, log_, token_).folder;
    const GameInfo info = ProjectInspector::inspect(*ProjectInspector::findProject(game.path()));
    refuseUnplayable(info, true);
    const EngineSpec spec = EngineSpec::forGame(&info);
    emit stepStarted(Phase::Kind::Downloading, engineStepText(spec), {});
    StagedFolder engine = EngineManager::stage(spec, hostPlatform(), downloaders, log_, token_);
    token_.throwIfCancelled();
    engine.commit();
    game.commit();
    recordGameFiles();
    log_.append(QStringLiteral("Game and Godot ") + spec.version + QStringLiteral(" reinstalled"));
}

// Whether a repair finds the folder changed since it was installed; the log says which files.
bool LaunchRun::changedSinceInstall(const QString& folder, const char* what) {
    const QStringList damaged = FolderManifest::damaged(folder);
    log_.append(QLatin1String(what) +
                (damaged.isEmpty() ? QStringLiteral("'s files are as installed.")
                                   : QStringLiteral("'s files changed since it was installed: ") +
                                         damaged.join(QStringLiteral(", "))));
    return !damaged.isEmpty();
}

// What the archive brought, but for what is meant to change: the two scripts the hip-fire change
// edits, and what the engine's import and the launcher write (hidden files, sidecars, and the
// project file, which Godot's editor may save again).
void LaunchRun::recordGameFiles() {
    FolderManifest::write(Paths::gameFolder(), [](const QString& path) {
        return path.startsWith(QLatin1Char('.')) || path.contains(QLatin1String("/.")) ||
               path.endsWith(QLatin1String(".import")) ||
               path.endsWith(QLatin1String("/project.godot")) ||
               path.endsWith(GamePatch::HipFire::playerScript) ||
               path.endsWith(GamePatch::HipFire::bulletScript);
    });
}

void LaunchRun::refuseUnplayable(const GameInfo& info, bool needsEngine) const {
    if (info.usesCSharp)
        throw Problem(Problem::Kind::Game, PlatformWords::csharpRefusal());
    if (needsEngine && !Volumes::allowsPrograms(Paths::engineFolder()))
        throw Problem(Problem::Kind::Engine, noProgramsSentence(Paths::supportRoot()));
}

void LaunchRun::steps(RunResult& result, QNetworkAccessManager& network) {
    const MakeDownloader downloaderFactory = [this, &network] { return makeDownloader(network); };

    InstalledGame installed = InstalledGame::read();
    if (request_.freshGame || request_.freshEngine || request_.goBack)
        backUpSaves(installed.info);
    if (request_.goBack) {
        if (!PreviousGame::exists())
            throw Problem(Problem::Kind::Game,
                          QStringLiteral("There is no previous version to go back to."));
        PreviousGame::swapBack();
        log_.append(QStringLiteral("Went back to the previous version of the game."));
        installed = InstalledGame::read();
    } else if (request_.freshEngine) {
        reinstall(downloaderFactory);
        installed = InstalledGame::read();
    } else if (!installed.project || request_.freshGame ||
               (request_.checkFiles && changedSinceInstall(Paths::gameFolder(), "The game"))) {
        emit stepStarted(Phase::Kind::Downloading, gameStepText, {});
        makeSupportRoot();
        RepoDownloader::fetchGame(downloaderFactory, log_, token_);
        recordGameFiles();
        installed = InstalledGame::read();
    }
    if (!installed.project)
        throw Problem(Problem::Kind::Game,
                      QStringLiteral("The game folder has no project.godot file."));
    const QString& project = *installed.project;
    const GameInfo& info = *installed.info;
    emit gameRead(info);
    GamePatch::applyHipFire(project, log_);
    refuseUnplayable(info, !installed.engine);
    token_.throwIfCancelled();

    const EngineSpec& spec = installed.spec;
    if (installed.engine && request_.checkFiles &&
        changedSinceInstall(spec.installFolder(), "Godot"))
        installed.engine.reset();
    if (!installed.engine) {
        emit stepStarted(Phase::Kind::Downloading, engineStepText(spec), {});
        EngineManager::install(spec, downloaderFactory, log_, token_);
        installed.engine = EngineManager::executable(spec);
    }
    if (!installed.engine)
        throw Problem(Problem::Kind::Engine, QStringLiteral("The Godot engine is missing."));

    if (!installed.imported) {
        emit stepStarted(
            Phase::Kind::SettingUp,
            QStringLiteral("Step 3 of 4 \u00b7 First-time setup, this can take a minute or more"),
            // Only Godot 3 imports in its editor's window; Godot 4 imports without one.
            spec.major == 3 ? QStringLiteral("Godot is preparing the game's files. A Godot window "
                                             "may appear briefly.")
                            : QStringLiteral("Godot is preparing the game's files."));
        try {
            runner_.runImport(*installed.engine, project, spec, token_);
        } catch (const Problem& problem) {
            throw explainSetup(problem, runner_.importOutcome());
        }
    }
    if (!request_.launch)
        return;
    token_.throwIfCancelled();

    emit gameStarting();
    // A program that cannot even start, or dies at once, may be damaged on disk rather than the
    // game's fault: the record of what was installed tells.
    const auto damaged = [&] { return !FolderManifest::damaged(spec.installFolder()).isEmpty(); };
    try {
        result.outcome = runner_.play(*installed.engine, project, spec.major, options_, gameStop_);
    } catch (const Problem& problem) {
        if (!damaged())
            throw;
        throw Problem(Problem::Kind::Engine, damagedEngineSentence());
    }
    if (result.outcome.signalled && result.outcome.seconds < 1)
        result.outcome.engineDamaged = damaged();
    // A cancel that ended the game just as it started is still the user's cancel.
    token_.throwIfCancelled();
    result.ending = RunResult::Ending::GameEnded;
}
