#include "testkit/Standin.h"

#include <csignal>

namespace testkit {

QList<QStringList> standinRuns(const QString& project) {
    QList<QStringList> runs;
    for (const QString& line : QString(readFile(project + "/.standin-args")).split('\n'))
        if (!line.isEmpty())
            runs << line.chopped(1).split(QChar(0x1f)); // each argument ends with the separator
    return runs;
}

pid_t waitForPid(const QString& file) {
    pid_t pid = 0;
    waitUntil([&] { return (pid = readFile(file).trimmed().toInt()) > 0; });
    return pid;
}

bool isAlive(pid_t pid) {
    // "pid (name) S ...": the state follows the last parenthesis.
    const QByteArray stat = readFile(QString("/proc/%1/stat").arg(pid));
    return pid > 0 && ::kill(pid, 0) == 0 && stat.mid(stat.lastIndexOf(')') + 2, 1) != "Z";
}

bool waitUntilGone(pid_t pid) {
    return waitUntil([pid] { return !isAlive(pid); });
}

} // namespace testkit
