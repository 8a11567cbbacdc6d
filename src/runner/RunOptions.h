#pragma once

#include <QString>
#include <QStringList>

// How the user wants the game's window and graphics.
struct RunOptions {
    bool fullscreen = false;
    QString resolution;                 // "1280x720"; empty: the game's own size
    bool compatibilityGraphics = false; // the engine's older renderer, for older drivers
};

// How a run of the engine (the game, or its first-time setup) ended: the exit code (or the
// signal number that ended it), how long it stayed up, and the last lines the engine itself
// printed, oldest first.
struct RunOutcome {
    int exitCode = 0;
    double seconds = 0;
    bool signalled = false; // exitCode is the number of the signal that ended the game
    QStringList output;
    int engineMajor = 0;
    bool engineDamaged = false; // Godot's files changed since it was installed
};
