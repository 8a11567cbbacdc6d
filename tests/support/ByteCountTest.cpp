#include "support/ByteCount.h"

#include <gtest/gtest.h>

TEST(ByteCount, UsesDecimalUnitsWithTheirUsualPrecision) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {1499, "1 KB"},
        {999'499, "999 KB"},
        {999'999, "1 MB"},
        {5'000'000, "5 MB"},
        {20'000'000, "20 MB"},
        {812'300'000, "812.3 MB"},
        {812'349'999, "812.3 MB"},
        {2'000'000, "2 MB"},
        {1'250'000'000, "1.25 GB"},
        {-5'000'000, "-5 MB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(formatByteCount(bytes).toStdString(), text) << bytes;
}
