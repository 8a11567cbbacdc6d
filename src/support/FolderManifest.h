#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What a folder held when it was installed: each file's path, size and SHA-512, kept in the
// folder itself (".manifest"). A file cut short or overwritten since then shows against it.
namespace FolderManifest {

// Whether a file (its path relative to the folder) is left out: one that is meant to change.
using Skip = std::function<bool(const QString& relativePath)>;

// Records every file under `folder` that `skip` does not leave out. Throws a FileSystem problem.
void write(const QString& folder, const Skip& skip = {});

// The recorded files that are missing or differ now, relative to `folder`; empty when all are as
// recorded or when nothing was recorded (an install made before records were kept).
QStringList damaged(const QString& folder);

} // namespace FolderManifest
