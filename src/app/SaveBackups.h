#pragma once

#include "project/GameInfo.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class LogStore;

// Zips of the game's saves, made before every change to the install and kept in
// Paths::saveBackupsFolder(), the newest `kept` of them. Each is named by when it was made and
// the commit installed then: "2026-12-07 21-30-05 1a2b3c4.zip". Everything here blocks; call it
// off the GUI thread.
namespace SaveBackups {

inline constexpr int kept = 10;

struct Backup {
    QString path;
    QDateTime made;
    qint64 size = 0; // of the zip
};

// Every backup, newest first; other files in the folder are not counted.
QList<Backup> list();
// "2026-12-07 21:30:05, 12 KB"
QString label(const Backup& backup);

// The saves folder of `game`; for no game, the one Brennick's own project name gives.
QString savesFolder(const std::optional<GameInfo>& game);

// Whether the saves folder of `game` holds anything to back up.
bool hasSaves(const std::optional<GameInfo>& game);

// Zips the saves of `game`, then deletes all but the newest `kept` backups. Returns the new zip;
// nothing when the saves folder is missing or empty. Throws a DiskFull problem with the
// sentence for the player when the disk cannot hold it, a FileSystem one when it cannot be
// written otherwise; no partial zip is left either way.
std::optional<QString> backUp(const std::optional<GameInfo>& game);

// Backs up the saves as they are, so that this can be undone, then unpacks `backup` beside them
// and swaps it in. Throws a Problem; the saves are then as they were.
void restore(const QString& backup, const std::optional<GameInfo>& game, LogStore& log);

} // namespace SaveBackups
