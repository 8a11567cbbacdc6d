#include "app/PlatformWords.h"

namespace PlatformWords {

namespace {
bool isMac(Platform platform) {
    return platform == Platform::MacOS;
}
} // namespace

QString csharpRefusal(Platform platform) {
    return QStringLiteral("This game uses C#, which needs the .NET SDK installed on %1. "
                          "This app can't set that up.")
        .arg(isMac(platform) ? QStringLiteral("this Mac") : QStringLiteral("this computer"));
}

QString headerSubtitle(Platform platform) {
    return isMac(platform) ? QStringLiteral("Brennick for Mac")
                           : QStringLiteral("Brennick for Linux");
}

QString revealButton(Platform platform) {
    return isMac(platform) ? QStringLiteral("Reveal in Finder")
                           : QStringLiteral("Show in File Manager");
}

QString switchAwayHint(Platform platform) {
    return isMac(platform) ? QStringLiteral("Cmd+Tab also switches away.")
                           : QStringLiteral("Alt+Tab also switches away.");
}

} // namespace PlatformWords
