#pragma once

#include "app/Failure.h"
#include "runner/RunOptions.h"

#include <optional>

// Why the engine ended, as its own output shows it: a sentence for the player and the cure.
// The window's words and the command line's differ only where the cure is a place in the window.
struct Diagnosis {
    QString cause;
    QString commandLineCause;
    FailureAction action = FailureAction::None;
    bool fatal = false; // the engine could not go on (renderer, display); else an error it printed

    friend bool operator==(const Diagnosis&, const Diagnosis&) = default;
};

// What the engine's lines show, judged in their own order.
struct Judgement {
    std::optional<Diagnosis> cause;
    std::optional<int> crashSignal; // from the engine's own crash line, else the ending signal
};

// A fatal line (the renderer or the display failed, a crash) outranks errors printed before it;
// among fatal lines, and else among errors, the earliest wins, so a failure that follows from an
// earlier one (the display after the renderer) never hides its cause. A crash has no cause but
// its signal. `options` are the run's own.
Judgement judge(const RunOutcome& outcome, const RunOptions& options);
