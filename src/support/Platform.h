#pragma once

// The desktop the launcher runs on; it decides engine asset names, program
// lookup and a few user-facing words.
enum class Platform { MacOS, LinuxX86_64, LinuxArm64 };

Platform hostPlatform();
