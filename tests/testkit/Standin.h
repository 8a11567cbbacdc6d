#pragma once

#include "testkit/TestEnvironment.h"

#include <csignal>

// The stand-in engine program (tests/tools/standin-godot.sh) and the processes it starts.
namespace testkit {

inline QString standinEngine() {
    return STANDIN_GODOT;
}
// Writes the stand-in's behaviour for `project`: shell assignments, as its header lists them.
inline void behave(const QString& project, const QString& settings) {
    writeFile(project, ".standin", settings.toUtf8());
}
// The pid that `file` names once it is there; 0 when not within 10 s.
inline pid_t waitForPid(const QString& file) {
    pid_t pid = 0;
    waitUntil([&] { return (pid = readFile(file).trimmed().toInt()) > 0; });
    return pid;
}
// Whether `pid` is a live process (a zombie counts as ended); waits up to 10 s for its end.
inline bool isAlive(pid_t pid) {
    // "pid (name) S ...": the state follows the last parenthesis.
    const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
    return pid > 0 && ::kill(pid, 0) == 0 && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z";
}
inline bool waitUntilGone(pid_t pid) {
    return waitUntil([pid] { return !isAlive(pid); });
}

} // namespace testkit
