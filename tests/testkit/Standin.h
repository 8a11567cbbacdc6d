#pragma once

#include "testkit/TestEnvironment.h"

#include <QList>
#include <QStringList>

#include <sys/types.h>

// The stand-in engine program (tests/tools/standin-godot.sh) and the processes it starts.
namespace testkit {

inline QString standinEngine() {
    return STANDIN_GODOT;
}
// Writes the stand-in's behaviour for `project`: shell assignments, as its header lists them.
inline void behave(const QString& project, const QString& settings) {
    writeFile(project, ".standin", settings.toUtf8());
}
// The argument list of every run of the stand-in on `project`, oldest first.
QList<QStringList> standinRuns(const QString& project);
// The stand-in's pid once it has started on `project`, or what `file` names, once there; 0 when
// not within 10 s.
pid_t waitForPid(const QString& file);
inline pid_t standinPid(const QString& project) {
    return waitForPid(project + "/.standin.pid");
}
// Whether `pid` is a live process (a zombie counts as ended); waits up to 10 s for its end.
bool isAlive(pid_t pid);
bool waitUntilGone(pid_t pid);

} // namespace testkit
