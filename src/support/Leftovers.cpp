#include "support/Leftovers.h"

#include "support/FolderOps.h"
#include "support/Paths.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace Leftovers {
namespace {

void removeIn(const QString& folder, const QStringList& patterns) {
    for (const QFileInfo& entry :
         QDir(folder).entryInfoList(patterns, QDir::AllEntries | QDir::Hidden | QDir::System))
        FolderOps::removeQuietly(entry.filePath());
}

} // namespace

void remove() {
    removeIn(Paths::supportRoot(), {QStringLiteral("Game.staging"), QStringLiteral("Game.old-*")});
    removeIn(Paths::engineFolder(), {QStringLiteral("staging-*"), QStringLiteral("*.old-*")});
    // Another launcher of this user may be downloading into a younger one right now.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    for (const QFileInfo& entry : QDir(QDir::tempPath())
                                      .entryInfoList({QStringLiteral("Brennick-*")},
                                                     QDir::Dirs | QDir::NoSymLinks | QDir::Hidden))
        if (entry.ownerId() == ::getuid() && entry.lastModified() < dayAgo)
            FolderOps::removeQuietly(entry.filePath());
}

} // namespace Leftovers
