#pragma once

#include <QString>
#include <QStringList>

// What an installed Godot build held when it was unpacked: each file's path, size and SHA-512,
// kept in the build's own folder. A program cut short or overwritten since then shows against it.
namespace EngineManifest {

// Records every file under `folder`. Throws a FileSystem problem.
void write(const QString& folder);

// The recorded files that are missing or differ now, relative to `folder`; empty when all are as
// recorded or when nothing was recorded (a build installed before records were kept).
QStringList damaged(const QString& folder);

} // namespace EngineManifest
