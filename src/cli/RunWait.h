#pragma once

#include "app/AppModel.h"
#include "app/RunResult.h"

#include <QEventLoop>
#include <QTextStream>

// Calls `begin`, then runs a local event loop until `sender` emits `signal`; returns the
// signal's value. Connected before `begin`, so an answer given at once, even within `begin`,
// is not missed.
template <typename Sender, typename Value, typename Begin>
Value awaitSignal(Sender& sender, void (Sender::*signal)(Value), const Begin& begin) {
    Value value{};
    bool emitted = false;
    QEventLoop loop;
    QObject::connect(&sender, signal, &loop, [&](Value answer) {
        value = answer;
        emitted = true;
        loop.quit();
    });
    begin();
    if (!emitted) // a loop told to quit before it runs would wait for the next answer
        loop.exec();
    return value;
}

// The exit status that tells how a run ended.
int exitCodeFor(RunEnding ending);

// Waits for the model's current run (if any) to end, handling Ctrl-C: it
// cancels downloads and set-up, and stops a running game. Reports the ending
// on `err` (a failure with where the whole log is) and returns its exit status.
int awaitRun(AppModel& model, QTextStream& err);
