#include "app/OutcomeExplanation.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

const QString closing = QStringLiteral(" Last log lines:");
const QString gameFiles =
    QStringLiteral(" Some game files could not be loaded; try Reinstall in Settings.");
const QString graphics = QStringLiteral(" The graphics system reported a problem.");

QString headline(const char* prefix, const QString& hint) {
    return QString::fromUtf8(prefix) + hint + closing;
}

} // namespace

TEST(OutcomeExplanation, HeadlineRoundsSecondsAndKeepsTheSign) {
    EXPECT_EQ(
        explainOutcome({1, 3.2}, {}).headline,
        headline("The game closed after 3 seconds (exit code 1), so it did not stay open.", {}));
    EXPECT_EQ(
        explainOutcome({0, 9.6}, {}).headline,
        headline("The game closed after 10 seconds (exit code 0), so it did not stay open.", {}));
    EXPECT_EQ(
        explainOutcome({-1, 2.5}, {}).headline,
        headline("The game closed after 2 seconds (exit code -1), so it did not stay open.", {}));
}

TEST(OutcomeExplanation, PicksTheHintFromTheLastThirtyLines) {
    struct Case {
        QStringList log;
        QString hint;
    };
    const QString renderer =
        QStringLiteral("OpenGL ES 3.0 Renderer: llvmpipe (LLVM 15.0.6, 256 bits)");
    const QString vulkanBanner =
        QStringLiteral("Vulkan API 1.3.242 - Forward+ - Using Device #0: llvmpipe");
    const Case cases[] = {
        {{QStringLiteral("ERROR: Failed loading resource: res://x.tscn")}, gameFiles},
        {{QStringLiteral("Can't open file from path 'res://a'")}, gameFiles},
        {{QStringLiteral("Cannot open file 'res://a.pck'.")}, gameFiles},
        {{renderer, QStringLiteral("ERROR: Your video card driver does not support any of the "
                                   "supported OpenGL versions.")},
         graphics},
        {{QStringLiteral("GLES2 context creation failed")}, graphics},
        {{QStringLiteral("Vulkan: unable to create instance")}, graphics},
        // A healthy renderer banner alone is no graphics problem.
        {{renderer, vulkanBanner, QStringLiteral("quit")}, {}},
        // Case matters.
        {{QStringLiteral("failed loading resource"), QStringLiteral("opengl error")}, {}},
        // Game files win over graphics.
        {{QStringLiteral("Vulkan error: device lost"), QStringLiteral("Can't open x")}, gameFiles},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            explainOutcome({1, 1}, c.log).headline,
            headline("The game closed after 1 seconds (exit code 1), so it did not stay open.",
                     c.hint))
            << c.log.join(QLatin1Char('|')).toStdString();
}

TEST(OutcomeExplanation, KeepsOnlyTheLastThirtyLinesInOrder) {
    QStringList log{QStringLiteral("Failed loading resource: too old to count")};
    for (int i = 1; i <= 30; ++i)
        log << QString::number(i);
    const Failure failure = explainOutcome({0, 1}, log);
    ASSERT_EQ(failure.lines.size(), 30);
    EXPECT_EQ(failure.lines.front(), QStringLiteral("1"));
    EXPECT_EQ(failure.lines.back(), QStringLiteral("30"));
    EXPECT_FALSE(failure.headline.contains(gameFiles));
}
