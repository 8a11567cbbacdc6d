#include "app/OutcomeExplanation.h"
#include "app/DisplayOptions.h"
#include "app/PlatformWords.h"
#include "app/ProgressDisplay.h"
#include "download/DownloadProgress.h"
#include "testkit/TestEnvironment.h"

TEST(OutcomeExplanation, HeadlineWithTheHintFromTheLastThirtyLines) {
    const QString files = " Some game files could not be loaded; try Reinstall in Settings.";
    const QString graphics = " The graphics system reported a problem.";
    const QString renderer = "OpenGL ES 3.0 Renderer: llvmpipe (LLVM 15.0.6, 256 bits)";
    const std::tuple<RunOutcome, QStringList, QString> cases[] = {
        {{1, 3.2}, {"Can't open file from path 'res://a'"}, "3 seconds (exit code 1)." + files},
        {{0, 9.6},
         {renderer, "ERROR: Your video card driver does not support OpenGL."},
         "10 seconds (exit code 0)." + graphics},
        {{-1, 2.5}, {renderer, "quit", "failed loading resource"}, "2 seconds (exit code -1)."},
        {{1, 1},
         {"Vulkan error: device lost", "Failed loading resource: x"},
         "1 seconds (exit code 1)." + files},
    };
    for (const auto& [outcome, log, words] : cases)
        EXPECT_EQ(explainOutcome(outcome, log).headline,
                  "The game closed after " + words.section('.', 0, 0) +
                      ", so it did not stay open." + words.section('.', 1) + " Last log lines:");
    QStringList log{"Failed loading resource: too old to count"};
    for (int i = 1; i <= 30; ++i)
        log << QString::number(i);
    EXPECT_EQ(explainOutcome({0, 1}, log).lines, log.mid(1));
    EXPECT_FALSE(explainOutcome({0, 1}, log).headline.contains(files));
}

TEST(DisplayOptions, FitsA16By9WindowAndDescribesProgress) {
    const std::pair<std::optional<QSizeF>, QString> screens[] = {{QSizeF(1440, 875), "1296x728"},
                                                                 {QSizeF(3440, 1415), "2210x1242"},
                                                                 {QSizeF(800, 575), "720x404"},
                                                                 {QSizeF(700, 500), ""},
                                                                 {std::nullopt, ""}};
    for (const auto& [area, expected] : screens)
        EXPECT_EQ(fitResolution(area), expected);
    const std::tuple<DownloadProgress, std::optional<double>, QString> reports[] = {
        {{5'000'000, 20'000'000, 2'000'000.6}, 0.25, "5 MB of 20 MB \u00b7 2 MB/s"},
        {{5'000'000, 0, 2'000'000}, std::nullopt, "5 MB \u00b7 2 MB/s"},
        {{30, 20, 0}, 1.5, "30 bytes of 20 bytes \u00b7 Zero KB/s"}};
    for (const auto& [progress, fraction, detail] : reports) {
        EXPECT_EQ(describeProgress(progress).fraction, fraction);
        EXPECT_EQ(describeProgress(progress).detail, detail);
    }
    EXPECT_TRUE(PlatformWords::csharpRefusal(Platform::LinuxX86_64).contains("on this computer."));
    EXPECT_TRUE(PlatformWords::csharpRefusal(Platform::MacOS).contains("on this Mac."));
    EXPECT_EQ(PlatformWords::revealButton(Platform::MacOS), "Reveal in Finder");
    EXPECT_EQ(PlatformWords::switchAwayHint(Platform::LinuxX86_64), "Alt+Tab also switches away.");
}
