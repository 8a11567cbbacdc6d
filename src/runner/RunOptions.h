#pragma once

#include <QString>

// How the user wants the game's window.
struct RunOptions {
    bool fullscreen = false;
    QString resolution; // "1280x720"; empty: the game's own size
};

// How a game run ended: the exit code (or the signal number that ended it) and
// how long it stayed up.
struct RunOutcome {
    int exitCode = 0;
    double seconds = 0;
};
