#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>

// Cuts a child's byte stream into text lines. A line ends at LF or CR, so CRLF
// and the CR of progress output both end one line; empty lines are dropped and
// invalid UTF-8 becomes U+FFFD. Bytes after the last separator wait for more.
class LineSplitter {
public:
    // Appends the lines completed by `bytes` to `lines`.
    void feed(QByteArrayView bytes, QStringList& lines);
    // Appends the unterminated rest, if any, as a last line.
    void flush(QStringList& lines);

private:
    QByteArray pending_;
};
