// The model's care of what the launcher keeps on disk: saves, its folder,
// removal and reinstall. Saved games live outside the launcher's folder and are
// never touched here.
#include "app/AppModel.h"

#include "support/ByteCount.h"
#include "support/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

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
    QPointer<AppModel> self(this);
    QThreadPool::globalInstance()->start([self] {
        const qint64 size = Paths::folderSize(Paths::supportRoot());
        QMetaObject::invokeMethod(
            self.data(),
            [self, size] {
                if (self)
                    self->confirmRemoval(size);
            },
            Qt::QueuedConnection);
    });
}

void AppModel::confirmRemoval(qint64 size) {
    const Question question{
        QStringLiteral("Remove everything?"),
        QStringLiteral("This deletes the downloaded game and Godot engine and frees %1. Your saved "
                       "games (in Godot's own folder) are kept.")
            .arg(formatByteCount(size)),
        QStringLiteral("Remove"), QStringLiteral("Cancel")};
    const bool confirmed = env_.prompts && env_.prompts->confirm(question);
    // A run may have started while the question was open; its files stay.
    if (confirmed && !run_) {
        QDir(Paths::supportRoot()).removeRecursively();
        setFailure(std::nullopt);
        log_.clear();
        refresh();
    }
    emit removalFinished(confirmed);
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
