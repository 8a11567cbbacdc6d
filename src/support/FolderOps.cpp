#include "support/FolderOps.h"

#include "support/Problem.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

namespace FolderOps {
namespace {

bool existsOrIsLink(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

Problem moveError(const QString& from, const QString& to) {
    return Problem(Problem::Kind::FileSystem,
                   QStringLiteral("Could not move %1 to %2.").arg(from, to));
}

} // namespace

void makeFolder(const QString& path) {
    if (!QDir().mkpath(path))
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("Could not create the folder %1.").arg(path));
}

void makeEmptyFolder(const QString& path) {
    removeQuietly(path);
    if (existsOrIsLink(path))
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("Could not delete the folder %1.").arg(path));
    makeFolder(path);
}

void removeQuietly(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir())
        QFile::remove(path);
    else
        QDir(path).removeRecursively();
}

void replaceFolder(const QString& staging, const QString& target, const QString& keepOldAt) {
    QString aside;
    if (existsOrIsLink(target)) {
        aside =
            target + QStringLiteral(".old-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        if (!QDir().rename(target, aside))
            throw moveError(target, aside);
    }
    if (!QDir().rename(staging, target)) {
        if (!aside.isEmpty())
            QDir().rename(aside, target);
        throw moveError(staging, target);
    }
    if (aside.isEmpty())
        return;
    if (!keepOldAt.isEmpty()) {
        removeQuietly(keepOldAt);
        if (QDir().rename(aside, keepOldAt))
            return;
    }
    removeQuietly(aside);
}

} // namespace FolderOps

FolderCleanup::~FolderCleanup() {
    if (!path_.isEmpty())
        FolderOps::removeQuietly(path_);
}

StagedFolder::~StagedFolder() {
    if (!staging_.isEmpty())
        FolderOps::removeQuietly(staging_);
}

void StagedFolder::commit(const QString& keepOldAt) {
    FolderOps::replaceFolder(staging_, target_, keepOldAt);
    staging_.clear();
}
