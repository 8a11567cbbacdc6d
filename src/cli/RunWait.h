#pragma once

#include "app/RunResult.h"

#include <QTextStream>

#include <functional>

class AppModel;

// Calls `begin`, then runs a local event loop until the model emits `signal`; returns the
// signal's flag. Connected before `begin`, so an answer given at once is not missed.
bool awaitFlag(AppModel& model, void (AppModel::*signal)(bool), const std::function<void()>& begin);

// The exit status that tells how a run ended.
int exitCodeFor(RunEnding ending);

// Waits for the model's current run (if any) to end, handling Ctrl-C: it
// cancels downloads and set-up, and stops a running game. Reports the ending
// on `err` (a failure with where the whole log is) and returns its exit status.
int awaitRun(AppModel& model, QTextStream& err);
