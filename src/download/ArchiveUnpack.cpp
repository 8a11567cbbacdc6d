#include "download/ArchiveUnpack.h"

#include "download/DownloadError.h"
#include "support/LogStore.h"
#include "support/ZipExtractor.h"

void unpackArchive(const QString& archive, const QString& target, LogStore& log,
                   const QString& what) {
    log.append(QStringLiteral("Unpacking ") + what);
    const int status =
        ZipExtractor::extract(archive, target, [&log](const QString& line) { log.append(line); });
    if (status != 0)
        throw DownloadError::message(
            QStringLiteral("Unpacking %1 failed (ditto exit code %2).").arg(what).arg(status));
}
