#include "app/PreviousGame.h"

#include "support/FolderOps.h"
#include "support/Paths.h"

#include <QFileInfo>

namespace PreviousGame {

bool exists() {
    return QFileInfo(Paths::previousGameFolder()).isDir();
}

void swapBack() {
    // The previous version goes in as the game, and the game it replaces is kept in its place.
    FolderOps::replaceFolder(Paths::previousGameFolder(), Paths::gameFolder(),
                             Paths::previousGameFolder());
}

} // namespace PreviousGame
