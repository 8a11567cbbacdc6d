#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

// Cuts a child's byte stream into text lines. A line ends at LF or CR, so CRLF
// and the CR of progress output both end one line; terminal escape sequences
// (colours) are dropped, then empty lines, and invalid UTF-8 becomes U+FFFD.
// Bytes after the last separator wait for more, but never more than
// maxLineBytes: a longer line is cut there and goes on as a new line that starts
// with "…", so that a child that never ends a line cannot fill the launcher's
// memory.
class LineSplitter {
public:
    // Appends the lines completed by `bytes` to `lines`.
    void feed(QByteArrayView bytes, QStringList& lines);
    // Appends the unterminated rest, if any, as a last line.
    void flush(QStringList& lines);

    static constexpr qsizetype maxLineBytes = 64 * 1024;

private:
    void addLine(QByteArrayView bytes, QStringList& lines);

    QByteArray pending_;
    bool continued_ = false; // the next line goes on from a cut one
};
