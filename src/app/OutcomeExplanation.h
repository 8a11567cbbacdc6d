#pragma once

#include "app/Failure.h"
#include "runner/RunOptions.h"

// Turns a game run that ended too early into a paragraph for the user: what happened, the
// cause when the game's own lines show one (see FailureCatalogue), and its last lines.
Failure explainOutcome(const RunOutcome& outcome, const RunOptions& options);
