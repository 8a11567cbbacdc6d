#include "runner/LineSplitter.h"

namespace {

bool isSeparator(char c) {
    return c == '\n' || c == '\r';
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

void LineSplitter::addLine(QByteArrayView bytes, QStringList& lines) {
    if (bytes.isEmpty())
        return;
    lines.append(continued_ ? QStringLiteral("\u2026") + QString::fromUtf8(bytes)
                            : QString::fromUtf8(bytes));
}

void LineSplitter::feed(QByteArrayView bytes, QStringList& lines) {
    // What was held back holds no separator: scan only the new bytes.
    qsizetype i = pending_.size();
    pending_.append(bytes);
    qsizetype start = 0;
    for (; i < pending_.size(); ++i) {
        if (i - start == maxLineBytes) {
            // A line without end is cut, between two characters, and goes on as a marked line.
            qsizetype cut = i;
            while (cut > start + maxLineBytes - 4 && isContinuationByte(pending_.at(cut)))
                --cut;
            addLine(QByteArrayView(pending_).sliced(start, cut - start), lines);
            continued_ = true;
            start = cut;
        }
        if (!isSeparator(pending_.at(i)))
            continue;
        addLine(QByteArrayView(pending_).sliced(start, i - start), lines);
        continued_ = false;
        start = i + 1;
    }
    pending_.remove(0, start);
}

void LineSplitter::flush(QStringList& lines) {
    addLine(pending_, lines);
    pending_.clear();
    continued_ = false;
}
