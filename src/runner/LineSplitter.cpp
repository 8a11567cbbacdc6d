#include "runner/LineSplitter.h"

#include <QRegularExpression>

namespace {

bool isSeparator(char c) {
    return c == '\n' || c == '\r';
}

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Terminal colours and cursor moves (Godot 4 colours its own output) mean nothing in a log.
QString withoutEscapes(QString line) {
    static const QRegularExpression escape(
        QStringLiteral("\x1B(?:\\[[0-?]*[ -/]*[@-~]|[@-Z\\\\-_])"));
    if (line.contains(QChar(0x1B)))
        line.remove(escape);
    return line;
}

} // namespace

void LineSplitter::addLine(QByteArrayView bytes, QStringList& lines) {
    const QString line = withoutEscapes(QString::fromUtf8(bytes));
    if (line.isEmpty())
        return;
    lines.append(continued_ ? QStringLiteral("\u2026") + line : line);
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
