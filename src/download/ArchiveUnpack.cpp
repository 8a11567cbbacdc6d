#include "download/ArchiveUnpack.h"

#include "support/LogStore.h"
#include "support/Problem.h"
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
    QString complaint;
    int status = 0;
    try {
        status = ZipExtractor::extract(archive, target, [&](const QString& line) {
            log.append(line);
            complaint = line;
        });
    } catch (const Problem& problem) {
        if (problem.kind() != Problem::Kind::DiskFull)
            throw;
        throw Problem(Problem::Kind::DiskFull,
                      Volumes::shortage(folder, size, Volumes::freeBytes(folder)));
    }
    if (status != 0)
        throw Problem(Problem::Kind::BadArchive,
                      QStringLiteral("Unpacking %1 failed: the archive is damaged or unsafe (%2).")
                          .arg(what, complaint));
}
