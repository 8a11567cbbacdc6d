#pragma once

#include "support/Platform.h"

#include <QString>

// User-facing words that name things of the desktop the launcher runs on.
namespace PlatformWords {

QString csharpRefusal(Platform platform = hostPlatform());
QString headerSubtitle(Platform platform = hostPlatform()); // "Brennick for Linux"
QString revealButton(Platform platform = hostPlatform());   // "Show in File Manager"
QString switchAwayHint(Platform platform = hostPlatform()); // "Alt+Tab also switches away."

} // namespace PlatformWords
