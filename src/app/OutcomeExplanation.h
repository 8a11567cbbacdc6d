#pragma once

#include "app/Failure.h"
#include "runner/GameRunner.h"

#include <QStringList>

// Turns a game run that ended too early into a paragraph for the user, with a
// hint when the game's output points at a known cause, and its last log lines.
Failure explainOutcome(const RunOutcome& outcome, const QStringList& logLines);
