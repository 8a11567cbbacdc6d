#pragma once

#include <QList>
#include <QString>

// What the file systems under the launcher's folders allow: how much they can still hold, and
// whether programs may run from them.
namespace Volumes {

struct Need {
    QString folder; // need not exist yet: its nearest existing parent counts
    qint64 bytes;
};

// Bytes this user may still write in the file system of `folder`; -1 when it cannot be told.
qint64 freeBytes(const QString& folder);

// Throws a DiskFull problem with the sentence for the player when the needs, added up for each
// file system, are more than it has free. The sentence names the first folder of that file system.
void require(const QList<Need>& needs);

// "Brennick needs about 240 MB free in /home/ann/.local/share/Brennick; only 120 MB are free."
QString shortage(const QString& folder, qint64 needed, qint64 free);

// False when the file system of `folder` is mounted so that no program may run from it (noexec).
bool allowsPrograms(const QString& folder);

} // namespace Volumes
