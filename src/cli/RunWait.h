#pragma once

#include <QTextStream>

#include <functional>

class AppModel;

// Calls `begin`, then runs a local event loop until the model emits `signal`; returns the
// signal's flag. Connected before `begin`, so an answer given at once is not missed.
bool awaitFlag(AppModel& model, void (AppModel::*signal)(bool), const std::function<void()>& begin);

// Waits for the model's current run (if any) to end, handling Ctrl-C: it
// cancels downloads and set-up, and stops a running game. Reports the ending
// on `err` and returns the exit status.
int awaitRun(AppModel& model, QTextStream& err);
