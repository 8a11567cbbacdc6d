#pragma once

#include "app/Failure.h"
#include "app/Phase.h"
#include "app/RunLogFile.h"
#include "app/RunResult.h"
#include "app/UserPrompts.h"
#include "download/DownloadTimeouts.h"
#include "download/UpdateCheck.h"
#include "project/GameInfo.h"
#include "runner/GameRunner.h"
#include "support/LogStore.h"

#include <QObject>
#include <QSizeF>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QSettings;
class QVariant;
class LaunchRun;
struct DownloadProgress;

// What the model needs from the outside world; the front ends fill it in, tests
// fill it with fakes.
struct AppEnvironment {
    QSettings* settings = nullptr;                     // the user-defaults store
    UserPrompts* prompts = nullptr;                    // questions before destructive actions
    FolderRevealer* revealer = nullptr;                // shows folders in the file manager
    std::function<std::optional<QSizeF>()> screenArea; // primary screen's free area, if any
    ImportTiming importTiming{};
    DownloadTimeouts downloads{};
    std::chrono::milliseconds playingAfter{10'000}; // the "stays open" threshold
};

// Everything the window shows, and the operations behind its buttons. Lives on
// the GUI thread; every published field emits its signal on every assignment.
class AppModel : public QObject {
    Q_OBJECT
public:
    explicit AppModel(AppEnvironment environment, QObject* parent = nullptr);
    ~AppModel() override;

    LogStore& log() { return log_; }
    GameRunner& runner();

    Phase phase() const { return phase_; }
    const QString& stepText() const { return stepText_; }
    std::optional<double> progress() const { return progress_; }
    const QString& detailText() const { return detailText_; }
    const std::optional<GameInfo>& info() const { return info_; }
    const std::optional<Failure>& failure() const { return failure_; }
    bool showLog() const { return showLog_; }
    bool hasSaves() const { return hasSaves_; }
    bool fullscreen() const { return fullscreen_; }
    const QString& resolution() const { return resolution_; }
    bool compatibilityGraphics() const { return compatibilityGraphics_; }
    // The settings file when the last option set could not be stored in it; empty otherwise.
    const QString& unsavedSettingsFile() const { return unsavedSettingsFile_; }
    bool isWorking() const { return run_ != nullptr; } // a launch run is going on
    // Whether the game's branch has moved past the installed commit; nothing until a check has
    // answered, or when it could not say.
    std::optional<bool> updateAvailable() const { return updateAvailable_; }

    bool isGameRunning() const;
    bool canCancel() const;

    // Asks in the background whether a newer version of the game exists (see UpdateCheck). Play
    // asks too.
    void checkForUpdate();
    void setShowLog(bool show);
    void setFullscreen(bool fullscreen);     // also stored under "fullscreen"
    void setResolution(const QString& size); // also stored under "resolution"
    // Stored under "graphics" as "compatibility" or "standard".
    void setCompatibilityGraphics(bool compatibility);

    // Re-reads game, engine, import and saves from disk; nothing while a run goes on.
    void refresh();

    // Play, Update the game, or set it up. Ignored while a run goes on.
    void start(RunRequest request);
    void cancel();
    // The cure a failure offers: compatibility graphics or the import again, then Play; Update;
    // or Reinstall (which asks first).
    void applyFix(FailureAction action);
    // The Stop button and a confirmed quit: ends the running game as the user's wish.
    void stopGame();

    void showSaves();
    void revealInFileManager();
    void removeEverything();
    void reinstall();
    // Puts the saves in `backup` (see SaveBackups) in place of the current ones, which are
    // backed up first; off the GUI thread, refused while a run goes on. Ends in restoreFinished.
    void restoreSaves(const QString& backup);
    // True when quitting may go ahead (asks while the game runs).
    bool confirmQuit();

    // Ends any run at once and waits for its thread; no engine outlives this.
    void shutdown();

signals:
    void phaseChanged();
    void stepTextChanged();
    void progressChanged();
    void detailTextChanged();
    void infoChanged();
    void failureChanged();
    void showLogChanged();
    void hasSavesChanged();
    void fullscreenChanged();
    void resolutionChanged();
    void graphicsChanged();
    void unsavedSettingsFileChanged();
    void workingChanged();
    void updateAvailableChanged();
    // A launch run has ended and the model shows its result. Cancelled only when a cancel
    // ended it (a cancel that came too late to change the outcome does not count).
    void runFinished(RunEnding ending);
    // The remove-everything question was answered (and, if confirmed, carried out).
    void removalFinished(bool removed);
    // The saves could not be backed up, so nothing was removed; removalFinished(false) follows.
    void removalFailed(const QString& sentence);
    // A restore has ended: empty when done, else why not.
    void restoreFinished(QString failure);

private:
    friend class AppModelProbe; // tests and the picture tool put the model into any state

    void setPhase(Phase phase);
    void setStepText(const QString& text);
    void setProgress(std::optional<double> progress);
    void setDetailText(const QString& text);
    void setInfo(std::optional<GameInfo> info);
    void setFailure(std::optional<Failure> failure);
    void setHasSaves(bool hasSaves);
    void setUpdateAvailable(std::optional<bool> available);
    void apply(const DownloadProgress& progress);
    QString chosenResolution() const;
    void showStep(Phase::Kind phase, const QString& step, const QString& detail);
    void showGameStarting();
    void finishRun(const RunResult& result);
    RunEnding judgeGameEnd(const RunOutcome& outcome);
    void confirmRemoval(qint64 size);
    void storeSetting(const QString& key, const QVariant& value);

    AppEnvironment env_;
    LogStore log_;
    Phase phase_;
    QString stepText_;
    std::optional<double> progress_;
    QString detailText_;
    std::optional<GameInfo> info_;
    std::optional<Failure> failure_;
    bool showLog_ = false;
    bool hasSaves_ = false;
    bool fullscreen_ = false;
    QString resolution_;
    bool compatibilityGraphics_ = false;
    QString unsavedSettingsFile_;
    RunOptions runOptions_; // the last run's
    RunLogFile runLog_{log_};
    bool stopRequested_ = false;
    std::unique_ptr<GameRunner> runner_;
    std::unique_ptr<LaunchRun> run_;
    QTimer playingWatch_;
    UpdateCheck updateCheck_;
    std::optional<bool> updateAvailable_;
};
