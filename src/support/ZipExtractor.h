#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Unpacks zip archives in-process, refusing entries that could write outside the target.
namespace ZipExtractor {

using LineHandler = std::function<void(const QString&)>;

// Unpacks `archive` into the existing folder `target`, keeping each file's permission bits
// (execute bits included; set-id bits dropped, the umask applied) and modification time. Returns
// 0 on success and 1 on failure, like an unpack tool's exit status; what went wrong goes to
// `onLine` as the tool would print it.
//
// The whole unpack fails on a corrupt or truncated archive and on any unsafe entry: an absolute
// path, a ".." component, a hard link, a device or pipe, a path that runs through a link, or a
// link whose target could leave `target` (absolute, climbing higher than the link's own folder,
// or climbing after a name). Links that stay inside are kept. What was written before a failure
// stays in `target`; callers unpack into a staging folder and delete it.
//
// A full file system is not a broken archive: it throws its Problem (DiskFull, or FileSystem when a
// file cannot be written). Blocking; call it off the GUI thread.
int extract(const QString& archive, const QString& target, const LineHandler& onLine);

// Whether `archive` is a whole zip: its central directory is there and every entry's data
// matches its checksum. Reads it all; blocking.
bool isWhole(const QString& archive);

// The archive's own comment (code-hosting services write the commit there); empty when it has
// none or the file is no zip.
QByteArray comment(const QString& archive);

// The bytes its entries take once unpacked, from the central directory; -1 when it cannot be read.
qint64 unpackedSize(const QString& archive);

} // namespace ZipExtractor
