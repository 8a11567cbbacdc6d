#pragma once

#include <QTextStream>

class AppModel;

// Waits for the model's current run (if any) to end, handling Ctrl-C: it
// cancels downloads and set-up, and stops a running game. Reports the ending
// on `err` and returns the exit status.
int awaitRun(AppModel& model, QTextStream& err);
