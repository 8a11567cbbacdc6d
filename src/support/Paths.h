#pragma once

#include "support/Platform.h"

#include <QString>

// Where the launcher keeps its files and where the engine keeps the game's saves.
namespace Paths {

// The launcher's own folder ("Brennick" in the user's data folder). Not created here.
QString supportRoot();
QString gameFolder();        // supportRoot/Game
QString gameStagingFolder(); // supportRoot/Game.staging
QString previousGameFolder(); // supportRoot/Game.previous: the version before the last update
QString engineFolder();      // supportRoot/Engine
// Zips of the game's saves, beside supportRoot ("Brennick Save backups"), so that removing
// everything keeps them as it keeps the saves.
QString saveBackupsFolder();

// The whole log of the last launch: $XDG_STATE_HOME/Quillfire/last-run.log on Linux,
// ~/Library/Logs/Quillfire/last-run.log on macOS.
QString lastRunLog();

// The engine's user-data folder for a project on this platform.
QString savesFolder(const QString& projectName);

// The rule behind savesFolder, given the home and data folders explicitly.
QString savesFolderFor(Platform platform, const QString& home, const QString& dataHome,
                       const QString& projectName);

// Total bytes of the regular files below `folder`, hidden ones included; links are not followed.
qint64 folderSize(const QString& folder);

} // namespace Paths
