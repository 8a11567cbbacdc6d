#include "app/SaveBackups.h"

#include "download/ArchiveUnpack.h"
#include "support/ByteCount.h"
#include "support/FolderOps.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "support/Volumes.h"
#include "support/ZipWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <tuple>

namespace SaveBackups {
namespace {

const QString stampFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");
// A second backup within the same second gets " (2)", and so on.
const QRegularExpression backupName(
    QStringLiteral(R"(^(\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)(?: [0-9a-f]{7})?(?: \((\d+)\))?\.zip$)"));
const QString partSuffix = QStringLiteral(".part");

struct Named {
    Backup backup;
    int repeat = 0;
};

// Newest first; within one second, by the number that follows it.
QList<Named> found() {
    QList<Named> backups;
    const QDir folder(Paths::saveBackupsFolder());
    for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.zip")}, QDir::Files)) {
        const QRegularExpressionMatch match = backupName.match(file.fileName());
        if (match.hasMatch())
            backups.append({{file.filePath(), QDateTime::fromString(match.captured(1), stampFormat),
                             file.size()},
                            std::max(1, match.captured(2).toInt())});
    }
    std::sort(backups.begin(), backups.end(), [](const Named& a, const Named& b) {
        return std::tie(a.backup.made, a.repeat) > std::tie(b.backup.made, b.repeat);
    });
    return backups;
}

// A name that sorts after every backup of the same second, also one whose earlier
// neighbours were pruned.
QString freeName(const QString& commit) {
    const QString stamp = QDateTime::currentDateTime().toString(stampFormat);
    int repeat = 0;
    for (const Named& named : found())
        if (named.backup.made.toString(stampFormat) == stamp)
            repeat = std::max(repeat, named.repeat);
    QString name = stamp;
    if (!commit.isEmpty())
        name += QLatin1Char(' ') + commit.left(7);
    if (repeat > 0)
        name += QStringLiteral(" (%1)").arg(repeat + 1);
    return name + QStringLiteral(".zip");
}

// Writes the zip without pruning: a restore must not delete the backup it is about to unpack.
std::optional<QString> write(const std::optional<GameInfo>& game) {
    if (!hasSaves(game))
        return std::nullopt;
    const QString saves = savesFolder(game);
    const QString folder = Paths::saveBackupsFolder();
    FolderOps::makeFolder(folder);
    // One a killed launcher left behind.
    for (const QString& part : QDir(folder).entryList({QLatin1Char('*') + partSuffix}))
        QFile::remove(folder + QLatin1Char('/') + part);
    // The zip's own records come on top of the files, which may not shrink.
    const qint64 needed = Paths::folderSize(saves) + 64 * 1024;
    Volumes::require({{folder, needed}});
    const QString commit = game && game->installed ? game->installed->commit : QString();
    const QString path = folder + QLatin1Char('/') + freeName(commit);
    try {
        ZipWriter::writeFolder(saves, path + partSuffix);
    } catch (const Problem& problem) {
        if (problem.kind() != Problem::Kind::DiskFull)
            throw;
        throw Problem(Problem::Kind::DiskFull,
                      Volumes::shortage(folder, needed, Volumes::freeBytes(folder)));
    }
    if (!QFile::rename(path + partSuffix, path)) {
        QFile::remove(path + partSuffix);
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("Could not write the backup %1.").arg(path));
    }
    return path;
}

void prune() {
    const QList<Backup> backups = list();
    for (qsizetype i = kept; i < backups.size(); ++i)
        QFile::remove(backups[i].path);
}

} // namespace

QList<Backup> list() {
    QList<Backup> backups;
    for (const Named& named : found())
        backups.append(named.backup);
    return backups;
}

QString label(const Backup& backup) {
    return backup.made.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss, ")) +
           formatByteCount(backup.size);
}

QString savesFolder(const std::optional<GameInfo>& game) {
    return Paths::savesFolder(game ? game->projectName : QStringLiteral("Brennick"));
}

bool hasSaves(const std::optional<GameInfo>& game) {
    return !QDir(savesFolder(game))
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

std::optional<QString> backUp(const std::optional<GameInfo>& game) {
    std::optional<QString> made = write(game);
    prune();
    return made;
}

void restore(const QString& backup, const std::optional<GameInfo>& game, LogStore& log) {
    const QString saves = savesFolder(game);
    if (!QFileInfo(backup).isFile())
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("The backup %1 is gone.").arg(backup));
    write(game);
    FolderOps::makeFolder(QFileInfo(saves).path());
    const QString staging = saves + QStringLiteral(".restoring");
    FolderOps::makeEmptyFolder(staging);
    StagedFolder staged(staging, saves);
    unpackArchive(backup, staging, log,
                  QStringLiteral("the backup ") + QFileInfo(backup).fileName());
    staged.commit();
    prune();
}

} // namespace SaveBackups
