#pragma once

#include "app/Failure.h"
#include "runner/RunOptions.h"

#include <optional>

// Why a game ended, as its own output shows it: a sentence for the player and the cure.
struct Diagnosis {
    QString cause;
    FailureAction action = FailureAction::None;

    friend bool operator==(const Diagnosis&, const Diagnosis&) = default;
};

// The first entry of the engine-failure catalogue that the game's lines show; failing that, a
// crash when a signal ended the game; otherwise nothing. `options` are the run's own.
std::optional<Diagnosis> diagnose(const RunOutcome& outcome, const RunOptions& options);
