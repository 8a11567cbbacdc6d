#pragma once

#include "app/Failure.h"
#include "runner/RunOptions.h"
#include "support/Problem.h"

// Turns a game run that ended too early into a paragraph for the user: what happened, the
// cause when the game's own lines show one (see FailureCatalogue), and its last lines.
Failure explainOutcome(const RunOutcome& outcome, const RunOptions& options);

// A failed first-time setup, with the cause its engine's lines show when one stopped it.
Problem explainSetup(const Problem& problem, const RunOutcome& setup);
