// The model's care of what the launcher keeps on disk: saves, their backups, its folder,
// removal and reinstall. Saved games live outside the launcher's folder; only a restore of a
// backup changes them.
#include "app/AppModel.h"

#include "app/SaveBackups.h"
#include "support/ByteCount.h"
#include "support/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <memory>

namespace {

// Runs `work` on the thread pool, then `done` on the model's thread with the problem it threw,
// if any; `done` is dropped when the model is gone by then.
template <typename Work, typename Done> void offGuiThread(AppModel* model, Work work, Done done) {
    QThreadPool::globalInstance()->start([self = QPointer<AppModel>(model), work, done] {
        std::optional<Problem> problem;
        try {
            work();
        } catch (const Problem& thrown) {
            problem = thrown;
        } catch (const std::exception& error) {
            problem = Problem(Problem::Kind::Unexpected, QString::fromLocal8Bit(error.what()));
        }
        QMetaObject::invokeMethod(
            self.data(),
            [self, done, problem] {
                if (self)
                    done(problem);
            },
            Qt::QueuedConnection);
    });
}

} // namespace

void AppModel::showSaves() {
    if (!info_)
        return;
    const QString folder = Paths::savesFolder(info_->projectName);
    if (QFileInfo::exists(folder) && env_.revealer)
        env_.revealer->reveal(folder);
    setHasSaves(QFileInfo::exists(folder));
}

void AppModel::revealInFileManager() {
    QDir().mkpath(Paths::supportRoot());
    if (env_.revealer)
        env_.revealer->reveal(Paths::supportRoot());
}

void AppModel::removeEverything() {
    if (run_)
        return;
    const auto size = std::make_shared<qint64>(0);
    offGuiThread(
        this, [size] { *size = Paths::folderSize(Paths::supportRoot()); },
        [this, size](const std::optional<Problem>&) { confirmRemoval(*size); });
}

void AppModel::confirmRemoval(qint64 size) {
    const Question question{
        QStringLiteral("Remove everything?"),
        QStringLiteral("This deletes the downloaded game and Godot engine and frees %1. Your saved "
                       "games (in Godot's own folder) are kept.")
            .arg(formatByteCount(size)),
        QStringLiteral("Remove"), QStringLiteral("Cancel")};
    const bool confirmed = env_.prompts && env_.prompts->confirm(question);
    if (!confirmed || run_) {
        emit removalFinished(confirmed);
        return;
    }
    const std::optional<GameInfo> game = info_;
    offGuiThread(
        this, [game] { SaveBackups::backUp(game); },
        [this](const std::optional<Problem>& problem) {
            if (problem) {
                log_.append(QStringLiteral("Problem: ") + problem->sentence());
                setPhase(Phase::needs(problem->sentence()));
                emit removalFailed(problem->sentence());
                emit removalFinished(false);
                return;
            }
            // A run may have started while the question was open; its files stay.
            if (!run_) {
                QDir(Paths::supportRoot()).removeRecursively();
                setFailure(std::nullopt);
                log_.clear();
                refresh();
            }
            emit removalFinished(true);
        });
}

void AppModel::restoreSaves(const QString& backup) {
    if (run_) {
        emit restoreFinished(QStringLiteral("Saved games can't be restored while Brennick is "
                                            "being set up or played."));
        return;
    }
    const std::optional<GameInfo> game = info_;
    offGuiThread(
        this,
        [game, backup] {
            LogStore unpackLog; // its complaints end up in the problem's sentence
            SaveBackups::restore(backup, game, unpackLog);
        },
        [this, backup](const std::optional<Problem>& problem) {
            log_.append(problem ? QStringLiteral("Problem: ") + problem->sentence()
                                : QStringLiteral("Saved games restored from ") + backup);
            setHasSaves(info_ && QFileInfo::exists(Paths::savesFolder(info_->projectName)));
            emit restoreFinished(problem ? problem->sentence() : QString());
        });
}

void AppModel::reinstall() {
    if (run_)
        return;
    const Question question{QStringLiteral("Reinstall?"),
                            QStringLiteral("This downloads the game and Godot again and runs the "
                                           "first-time setup. Saved games are kept."),
                            QStringLiteral("Reinstall"), QStringLiteral("Cancel")};
    if (!env_.prompts || !env_.prompts->confirm(question))
        return;
    start(RunRequest::reinstall());
}

bool AppModel::confirmQuit() {
    if (!isGameRunning())
        return true;
    const Question question{QStringLiteral("The game is still running"),
                            QStringLiteral("Quitting will close the game too."),
                            QStringLiteral("Quit and close the game"),
                            QStringLiteral("Keep playing")};
    if (!env_.prompts || !env_.prompts->confirm(question))
        return false;
    stopGame();
    return true;
}
