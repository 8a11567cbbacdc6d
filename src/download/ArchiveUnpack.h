#pragma once

#include <QString>

class LogStore;

// Unpacks a downloaded zip into `target` (a fresh staging folder), logging
// "Unpacking <what>" and the extractor's complaints. Throws a BadArchive problem
// "Unpacking <what> failed: the archive is damaged or unsafe (<the complaint>).", and a
// DiskFull one with a sentence about the space when the disk cannot hold the files,
// which is checked first against what the archive says they take.
void unpackArchive(const QString& archive, const QString& target, LogStore& log,
                   const QString& what);

// The room a download of `size` bytes is expected to take once unpacked, before its archive's
// own directory tells.
inline qint64 unpackedEstimate(qint64 size) {
    return 3 * size;
}
