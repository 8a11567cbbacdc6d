#include "runner/LineSplitter.h"

#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    QByteArray bytes;
    QStringList lines; // after the final flush
};

class LineSplitterCases : public ::testing::TestWithParam<SplitCase> {};

QStringList split(const QByteArray& bytes, qsizetype chunkSize) {
    LineSplitter splitter;
    QStringList lines;
    for (qsizetype i = 0; i < bytes.size(); i += chunkSize)
        splitter.feed(QByteArrayView(bytes).sliced(i, std::min(chunkSize, bytes.size() - i)),
                      lines);
    splitter.flush(lines);
    return lines;
}

// Every case must come out the same whether the bytes arrive at once or one by one.
TEST_P(LineSplitterCases, CutsTheSameWayHoweverTheBytesArrive) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(split(c.bytes, std::max<qsizetype>(1, c.bytes.size())), c.lines);
    EXPECT_EQ(split(c.bytes, 1), c.lines);
    EXPECT_EQ(split(c.bytes, 3), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, LineSplitterCases,
    ::testing::Values(
        SplitCase{"CrLfAndLf", "a\r\nb\n", {"a", "b"}},
        SplitCase{"OnlySeparators", "\r\n\n\r\r\n", {}},
        SplitCase{"ProgressCarriageReturns", "10%\r50%\r100%\n", {"10%", "50%", "100%"}},
        SplitCase{"SpacesKept", "  keeps spaces \t\n", {"  keeps spaces \t"}},
        SplitCase{"UnterminatedLastLine", "first\nunterminated", {"first", "unterminated"}},
        SplitCase{"MultiByteCharacter", "caf\xc3\xa9\n", {QString::fromUtf8("caf\xc3\xa9")}},
        SplitCase{"InvalidUtf8", "ok\xffx\n", {QStringLiteral("ok") + QChar(0xFFFD) + "x"}},
        SplitCase{"Nothing", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineSplitter, HoldsAnUnterminatedLineUntilItEndsOrIsFlushed) {
    LineSplitter splitter;
    QStringList lines;
    splitter.feed("abc", lines);
    EXPECT_TRUE(lines.isEmpty());
    splitter.feed("def\nghi", lines);
    EXPECT_EQ(lines, QStringList{"abcdef"});
    splitter.flush(lines);
    EXPECT_EQ(lines, (QStringList{"abcdef", "ghi"}));
    splitter.flush(lines);
    EXPECT_EQ(lines.size(), 2);
}

} // namespace
