#pragma once

#include "engine/EngineSpec.h"
#include "project/GameInfo.h"

#include <QString>

#include <optional>

// What the launcher's folders hold right now: the game, the engine it needs, its set-up.
struct InstalledGame {
    std::optional<QString> project; // the game's project folder
    std::optional<GameInfo> info;   // read from the project
    EngineSpec spec;                // the engine the game needs
    std::optional<QString> engine;  // that engine's program, when it is installed
    bool imported = false;          // the first-time setup is done

    bool isReady() const { return project && engine && imported; }

    // Reads the disk; a second of work at most, for a large project.
    static InstalledGame read();
};
