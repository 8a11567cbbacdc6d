#include "runner/LineSplitter.h"

namespace {

bool isSeparator(char c) {
    return c == '\n' || c == '\r';
}

void addLine(QByteArrayView bytes, QStringList& lines) {
    if (!bytes.isEmpty())
        lines.append(QString::fromUtf8(bytes));
}

} // namespace

void LineSplitter::feed(QByteArrayView bytes, QStringList& lines) {
    // What was held back holds no separator: scan only the new bytes.
    qsizetype i = pending_.size();
    pending_.append(bytes);
    qsizetype start = 0;
    for (; i < pending_.size(); ++i) {
        if (!isSeparator(pending_.at(i)))
            continue;
        addLine(QByteArrayView(pending_).sliced(start, i - start), lines);
        start = i + 1;
    }
    pending_.remove(0, start);
}

void LineSplitter::flush(QStringList& lines) {
    addLine(pending_, lines);
    pending_.clear();
}
