#pragma once

#include "app/AppModel.h"
#include "app/RunResult.h"

#include <QEventLoop>
#include <QTextStream>

// Calls `begin`, then runs a local event loop until the model emits `signal`; returns the
// signal's value. Connected before `begin`, so an answer given at once is not missed.
template <typename Value, typename Begin>
Value awaitSignal(AppModel& model, void (AppModel::*signal)(Value), const Begin& begin) {
    Value value{};
    QEventLoop loop;
    QObject::connect(&model, signal, &loop, [&](Value emitted) {
        value = emitted;
        loop.quit();
    });
    begin();
    loop.exec();
    return value;
}

// The exit status that tells how a run ended.
int exitCodeFor(RunEnding ending);

// Waits for the model's current run (if any) to end, handling Ctrl-C: it
// cancels downloads and set-up, and stops a running game. Reports the ending
// on `err` (a failure with where the whole log is) and returns its exit status.
int awaitRun(AppModel& model, QTextStream& err);
