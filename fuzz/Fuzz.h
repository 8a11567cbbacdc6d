#pragma once

#include <QFile>

#include <cstdio>
#include <cstdlib>

// A broken promise aborts: libFuzzer reports it as a crash and keeps the input.
inline void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}
#define FUZZ_CHECK(cond) check(cond, #cond)

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Writes `content` to `path` (in a fresh temporary folder) and returns the path.
inline QString writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    return path;
}
