#pragma once

#include <QString>

// Byte counts as users read them: decimal units (1 KB = 1000 bytes), e.g. "5 MB",
// "812.3 MB", "1.25 GB", "999 bytes", "Zero KB".
QString formatByteCount(qint64 bytes);
