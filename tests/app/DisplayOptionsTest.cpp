#include "app/DisplayOptions.h"
#include "app/PlatformWords.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

TEST(DisplayOptions, FitsA16By9WindowToTheScreen) {
    const std::pair<QSizeF, const char*> cases[] = {
        {{1440, 875}, "1296x728"}, {{1920, 1055}, "1634x918"}, {{3440, 1415}, "2210x1242"},
        {{800, 575}, "720x404"},   {{700, 500}, ""},           {{1600, 930}, "1434x806"},
    };
    for (const auto& [area, expected] : cases)
        EXPECT_EQ(fitResolution(area), QString::fromLatin1(expected))
            << area.width() << "x" << area.height();
    EXPECT_EQ(fitResolution(std::nullopt), QString());
}

TEST(PlatformWords, NameThisDesktopsThings) {
    EXPECT_EQ(
        PlatformWords::csharpRefusal(Platform::LinuxX86_64),
        QStringLiteral("This game uses C#, which needs the .NET SDK installed on this computer. "
                       "This app can't set that up."));
    EXPECT_EQ(PlatformWords::csharpRefusal(Platform::MacOS),
              QStringLiteral("This game uses C#, which needs the .NET SDK installed on this Mac. "
                             "This app can't set that up."));
    EXPECT_EQ(PlatformWords::headerSubtitle(Platform::LinuxArm64),
              QStringLiteral("Brennick for Linux"));
    EXPECT_EQ(PlatformWords::revealButton(Platform::MacOS), QStringLiteral("Reveal in Finder"));
    EXPECT_EQ(PlatformWords::switchAwayHint(Platform::LinuxX86_64),
              QStringLiteral("Alt+Tab also switches away."));
}
