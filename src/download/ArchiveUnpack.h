#pragma once

#include <QString>

class LogStore;

// Unpacks a downloaded zip into `target` (a fresh staging folder), logging
// "Unpacking <what>" and the extractor's complaints. Throws DownloadError
// "Unpacking <what> failed (ditto exit code N)." – the wording users and logs know.
void unpackArchive(const QString& archive, const QString& target, LogStore& log,
                   const QString& what);
