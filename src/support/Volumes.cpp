#include "support/Volumes.h"

#include "support/ByteCount.h"
#include "support/Problem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace Volumes {
namespace {

// The folder itself when it exists, else its nearest existing parent.
QByteArray existingFolder(const QString& folder) {
    QString path = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(path).isDir() && path != QDir::rootPath())
        path = QFileInfo(path).path();
    return QFile::encodeName(path);
}

std::optional<struct statvfs> volumeOf(const QString& folder) {
    struct statvfs info {};
    if (::statvfs(existingFolder(folder).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

} // namespace

qint64 freeBytes(const QString& folder) {
    const auto volume = volumeOf(folder);
    return volume ? static_cast<qint64>(volume->f_bavail) * static_cast<qint64>(volume->f_frsize)
                  : -1;
}

void require(const QList<Need>& needs) {
    struct Volume {
        QString folder;
        qint64 needed = 0;
    };
    std::map<dev_t, Volume> volumes; // one per file system, named by its first folder
    for (const Need& need : needs) {
        struct stat info {};
        if (::stat(existingFolder(need.folder).constData(), &info) != 0)
            continue;
        Volume& volume = volumes[info.st_dev];
        if (volume.folder.isEmpty())
            volume.folder = need.folder;
        volume.needed += need.bytes;
    }
    for (const auto& [device, volume] : volumes) {
        const qint64 free = freeBytes(volume.folder);
        if (free >= 0 && volume.needed > free)
            throw Problem(Problem::Kind::DiskFull, shortage(volume.folder, volume.needed, free));
    }
}

QString shortage(const QString& folder, qint64 needed, qint64 free) {
    return QStringLiteral("Brennick needs about %1 free in %2; only %3 are free.")
        .arg(formatByteCount(needed), QDir::toNativeSeparators(folder), formatByteCount(free));
}

bool allowsPrograms(const QString& folder) {
    const auto volume = volumeOf(folder);
    return !volume || !(volume->f_flag & ST_NOEXEC);
}

} // namespace Volumes
