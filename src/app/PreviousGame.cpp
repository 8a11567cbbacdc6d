#include "app/PreviousGame.h"

#include "support/FolderOps.h"
#include "support/Paths.h"
#include "support/Problem.h"

#include <QDir>
#include <QFileInfo>

namespace PreviousGame {

bool exists() {
    return QFileInfo(Paths::previousGameFolder()).isDir();
}

void swapBack() {
    const QString game = Paths::gameFolder(), previous = Paths::previousGameFolder();
    const QString aside = Paths::gameStagingFolder();
    const auto moved = [](const QString& from, const QString& to) {
        return QDir().rename(from, to);
    };
    const auto fail = [](const QString& folder) {
        return Problem(Problem::Kind::FileSystem,
                       QStringLiteral("Could not move %1; nothing was changed.").arg(folder));
    };
    FolderOps::removeQuietly(aside);
    if (!moved(game, aside))
        throw fail(game);
    if (!moved(previous, game)) {
        moved(aside, game);
        throw fail(previous);
    }
    moved(aside,
          previous); // else the newer version goes with the next clean-up: it can be had again
}

} // namespace PreviousGame
