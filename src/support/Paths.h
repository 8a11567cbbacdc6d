#pragma once

#include "support/Platform.h"

#include <QString>

// Where the launcher keeps its files and where the engine keeps the game's saves.
namespace Paths {

// The user's folder for data (XDG_DATA_HOME) or state (XDG_STATE_HOME): the variable when it
// holds an absolute path (the XDG rules ignore a relative one), else `fallback` in the home
// folder, such as "/.local/share".
QString xdgFolder(const char* variable, const QString& fallback);

// The launcher's own folder ("Brennick" in the user's data folder). Not created here.
QString supportRoot();
QString gameFolder();        // supportRoot/Game
QString gameStagingFolder(); // supportRoot/Game.staging
QString engineFolder();      // supportRoot/Engine

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
