#include "download/ArchiveUnpack.h"

#include "download/DownloadError.h"
#include "support/LogStore.h"
#include "support/Volumes.h"
#include "support/ZipExtractor.h"

#include <QFileInfo>

void unpackArchive(const QString& archive, const QString& target, LogStore& log,
                   const QString& what) {
    const QString folder = QFileInfo(target).path();
    const qint64 size = ZipExtractor::unpackedSize(archive);
    if (size > 0)
        Volumes::require({{folder, size}});
    log.append(QStringLiteral("Unpacking ") + what);
    int status = 0;
    try {
        status = ZipExtractor::extract(archive, target,
                                       [&log](const QString& line) { log.append(line); });
    } catch (const DiskFullError&) {
        throw FileSystemError(Volumes::shortage(folder, size, Volumes::freeBytes(folder)));
    }
    if (status != 0)
        throw DownloadError::message(
            QStringLiteral("Unpacking %1 failed (ditto exit code %2).").arg(what).arg(status));
}
