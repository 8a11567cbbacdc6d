#include "app/DisplayOptions.h"
#include "app/PlatformWords.h"
#include "app/ProgressDisplay.h"
#include "download/DownloadProgress.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(DisplayOptions, FitsA16By9WindowToTheScreen) {
    const std::pair<std::optional<QSizeF>, QString> cases[] = {
        {QSizeF(1440, 875), "1296x728"}, {QSizeF(3440, 1415), "2210x1242"},
        {QSizeF(800, 575), "720x404"},   {QSizeF(1600, 930), "1434x806"},
        {QSizeF(700, 500), ""},          {std::nullopt, ""},
    };
    for (const auto& [area, expected] : cases)
        EXPECT_EQ(fitResolution(area), expected) << (area ? area->width() : 0);
}

TEST(DisplayOptions, ProgressReadsAsSizesAndSpeed) {
    const std::tuple<DownloadProgress, std::optional<double>, QString> cases[] = {
        {{5'000'000, 20'000'000, 2'000'000.6}, 0.25, "5 MB of 20 MB \u00b7 2 MB/s"},
        {{5'000'000, 0, 2'000'000}, std::nullopt, "5 MB \u00b7 2 MB/s"},
        {{30, 20, 0}, 1.5, "30 bytes of 20 bytes \u00b7 Zero KB/s"},
    };
    for (const auto& [progress, fraction, detail] : cases) {
        EXPECT_EQ(describeProgress(progress).fraction, fraction);
        EXPECT_EQ(describeProgress(progress).detail, detail);
    }
}

TEST(PlatformWords, NameThisDesktopsThings) {
    EXPECT_EQ(PlatformWords::csharpRefusal(Platform::LinuxX86_64),
              "This game uses C#, which needs the .NET SDK installed on this computer. This app "
              "can't set that up.");
    EXPECT_TRUE(PlatformWords::csharpRefusal(Platform::MacOS).contains("on this Mac."));
    EXPECT_EQ(PlatformWords::headerSubtitle(Platform::LinuxArm64), "Brennick for Linux");
    EXPECT_EQ(PlatformWords::revealButton(Platform::MacOS), "Reveal in Finder");
    EXPECT_EQ(PlatformWords::switchAwayHint(Platform::LinuxX86_64), "Alt+Tab also switches away.");
}
