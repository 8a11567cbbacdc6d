#include "app/OutcomeExplanation.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

const QString gameFiles = " Some game files could not be loaded; try Reinstall in Settings.";
const QString graphics = " The graphics system reported a problem.";

TEST(OutcomeExplanation, HeadlineRoundsSecondsAndKeepsTheSign) {
    const std::tuple<RunOutcome, QString> cases[] = {
        {{1, 3.2}, "3 seconds (exit code 1)"},
        {{0, 9.6}, "10 seconds (exit code 0)"},
        {{-1, 2.5}, "2 seconds (exit code -1)"},
    };
    for (const auto& [outcome, words] : cases)
        EXPECT_EQ(explainOutcome(outcome, {}).headline,
                  "The game closed after " + words + ", so it did not stay open. Last log lines:");
}

TEST(OutcomeExplanation, PicksTheHintFromTheLastThirtyLines) {
    const QString renderer = "OpenGL ES 3.0 Renderer: llvmpipe (LLVM 15.0.6, 256 bits)";
    const std::pair<QStringList, QString> cases[] = {
        {{"ERROR: Failed loading resource: res://x.tscn"}, gameFiles},
        {{"Can't open file from path 'res://a'"}, gameFiles},
        {{renderer, "ERROR: Your video card driver does not support any of the supported OpenGL "
                    "versions."},
         graphics},
        {{"Vulkan: unable to create instance"}, graphics},
        {{renderer, "Vulkan API 1.3.242 - Forward+ - Using Device #0: llvmpipe", "quit"}, {}},
        {{"failed loading resource", "opengl error"}, {}},
        {{"Vulkan error: device lost", "Can't open x"}, gameFiles},
    };
    for (const auto& [log, hint] : cases)
        EXPECT_EQ(explainOutcome({1, 1}, log).headline,
                  "The game closed after 1 seconds (exit code 1), so it did not stay open." + hint +
                      " Last log lines:")
            << log.join('|');
    QStringList log{"Failed loading resource: too old to count"};
    for (int i = 1; i <= 30; ++i)
        log << QString::number(i);
    const Failure failure = explainOutcome({0, 1}, log);
    EXPECT_EQ(failure.lines, log.mid(1));
    EXPECT_FALSE(failure.headline.contains(gameFiles));
}

} // namespace
