#include "Fuzz.h"
#include "runner/LineSplitter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The input again and again (as a chatty child would), cut where its own bytes say, so
    // that lines cross pieces and reach the length cap.
    LineSplitter splitter;
    QStringList lines;
    for (int round = 0; size > 0 && round <= data[0] % 64; ++round)
        for (size_t at = 0, piece = 0; at < size; at += piece) {
            piece = std::min<size_t>(size - at, 1 + data[at] % 97);
            splitter.feed(QByteArrayView(data + at, piece), lines);
        }
    splitter.flush(lines);
    // A cut line goes on after "…"; a byte decodes to one character at most.
    for (const QString& line : lines)
        FUZZ_CHECK(!line.isEmpty() && !line.contains('\n') && !line.contains('\r') &&
                   line.size() <= LineSplitter::maxLineBytes + 1);
    return 0;
}
