#pragma once

#include <QString>

// Packs a folder into a zip archive in-process; ZipExtractor unpacks it again.
namespace ZipWriter {

// Writes the files and folders below `folder`, hidden ones included, into a new zip at
// `archive`, keeping their relative paths, permission bits and modification times. Links and
// special files are left out: the engine writes neither into a game's user folder. The archive is
// flushed to the disk before this returns.
//
// Throws a DiskFull problem when the file system fills up and a FileSystem one for any other
// failure; the half-written `archive` is then deleted. Blocking; call it off the GUI thread.
void writeFolder(const QString& folder, const QString& archive);

} // namespace ZipWriter
