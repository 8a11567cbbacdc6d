#pragma once

#include "runner/GameRunner.h"
#include "support/Problem.h"

#include <QString>

#include <optional>

// What a press of Play (or Update, Reinstall, or a set-up) asks for.
struct RunRequest {
    bool freshGame = false;   // download the game even when one is on disk
    bool freshEngine = false; // and Godot too, both swapped in only once both are ready
    bool checkFiles = false;  // download the game or Godot again if changed since install
    bool goBack = false;      // go back to the version before the last update
    bool launch = true;       // start the game once it is set up

    static RunRequest play() { return {}; }
    static RunRequest setUp() { return {.launch = false}; }
    static RunRequest update() { return {.freshGame = true, .launch = false}; }
    static RunRequest reinstall() { return {.freshGame = true, .freshEngine = true}; }
    static RunRequest repair(bool launch) { return {.checkFiles = true, .launch = launch}; }
    static RunRequest rollBack() { return {.goBack = true, .launch = false}; }
};

// How a launch run ended, as the run itself tells it.
struct RunResult {
    enum class Ending { SetUp, GameEnded, Cancelled, Failed };
    Ending ending = Ending::SetUp;
    RunOutcome outcome;             // GameEnded
    std::optional<Problem> problem; // Failed
};

// How a run ended for the player, once the model has judged a game's end.
enum class RunEnding { Done, Failed, EndedEarly, Cancelled };

// The sentence the player reads for a run that failed with `problem`: a failure of the network
// itself comes with the advice to check the connection; every other sentence says what to do.
QString sentenceFor(const Problem& problem);
