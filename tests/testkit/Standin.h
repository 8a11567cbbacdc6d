#pragma once

#include <QList>
#include <QStringList>

#include <sys/types.h>

// The stand-in engine program (tests/tools/standin-godot.sh) and the processes it starts.
namespace testkit {

QString standinEngine();
// Writes the stand-in's behaviour for `project`: shell assignments, as its header lists them.
void behave(const QString& project, const QString& settings);
// The argument list of every run of the stand-in on `project`, oldest first.
QList<QStringList> standinRuns(const QString& project);
// The pid of the stand-in once it has started on `project`; 0 when it did not within 10 s.
pid_t standinPid(const QString& project);

// Waits up to 10 s for `file` to hold a pid; 0 when it never does.
pid_t waitForPid(const QString& file);
// Whether `pid` is a live process (a zombie counts as ended).
bool isAlive(pid_t pid);
// Waits up to 10 s until `pid` has ended.
bool waitUntilGone(pid_t pid);

} // namespace testkit
