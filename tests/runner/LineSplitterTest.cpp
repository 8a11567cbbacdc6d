#include "runner/LineSplitter.h"

#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

QStringList split(const QByteArray& bytes, qsizetype chunkSize) {
    LineSplitter splitter;
    QStringList lines;
    for (qsizetype i = 0; i < bytes.size(); i += chunkSize)
        splitter.feed(QByteArrayView(bytes).sliced(i, std::min(chunkSize, bytes.size() - i)),
                      lines);
    splitter.flush(lines);
    return lines;
}

// Every case must come out the same whether the bytes arrive at once or in small pieces.
TEST(LineSplitter, CutsTheSameWayHoweverTheBytesArrive) {
    const std::pair<QByteArray, QStringList> cases[] = {
        {"a\r\nb\n", {"a", "b"}},
        {"\r\n\n\r\r\n", {}},
        {"10%\r50%\r100%\n", {"10%", "50%", "100%"}},
        {"  keeps spaces \t\n", {"  keeps spaces \t"}},
        {"first\nunterminated", {"first", "unterminated"}},
        {"caf\xc3\xa9\n", {QString::fromUtf8("caf\xc3\xa9")}},
        {"ok\xffx\n", {QStringLiteral("ok\ufffdx")}},
    };
    for (const auto& [bytes, lines] : cases)
        for (const qsizetype chunk : {bytes.size(), qsizetype(1), qsizetype(3)})
            EXPECT_EQ(split(bytes, chunk), lines) << bytes << " in pieces of " << chunk;
}

} // namespace
