#pragma once

#include <QString>

#include <utility>

// Folder changes that go through a staging folder, so that a failure never leaves less on disk
// than there was before.
namespace FolderOps {

// Creates `path` with any missing parents. Throws a FileSystem problem.
void makeFolder(const QString& path);

// Deletes `path` if it exists, then creates it empty. Throws a FileSystem problem.
void makeEmptyFolder(const QString& path);

// Deletes a folder tree. A failure is ignored: nothing the user could act on would change.
void removeQuietly(const QString& path);

// Puts `staging` in the place of `target`. An existing `target` is renamed aside first and put
// back when the move fails; once `staging` is in place it becomes `keepOldAt` (replacing what
// was there), or is deleted without one. Throws a FileSystem problem.
void replaceFolder(const QString& staging, const QString& target, const QString& keepOldAt = {});

} // namespace FolderOps

// Deletes a folder when the scope ends, unless released first.
class FolderCleanup {
public:
    explicit FolderCleanup(QString path) : path_(std::move(path)) {}
    ~FolderCleanup();
    FolderCleanup(const FolderCleanup&) = delete;
    FolderCleanup& operator=(const FolderCleanup&) = delete;

    void release() { path_.clear(); }

private:
    QString path_;
};

// A folder filled beside its target: commit() swaps it in (see FolderOps::replaceFolder); one
// never committed is deleted, so a failed or cancelled step leaves the target as it was.
class StagedFolder {
public:
    StagedFolder(QString staging, QString target)
        : staging_(std::move(staging)), target_(std::move(target)) {}
    StagedFolder(StagedFolder&& other) noexcept
        : staging_(std::exchange(other.staging_, {})), target_(std::move(other.target_)) {}
    StagedFolder& operator=(StagedFolder&&) = delete;
    ~StagedFolder();

    const QString& path() const { return staging_; }
    // Throws a FileSystem problem; the target is then as it was. See FolderOps::replaceFolder.
    void commit(const QString& keepOldAt = {});

private:
    QString staging_, target_;
};
