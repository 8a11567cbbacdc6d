#include "testkit/Standin.h"

#include "testkit/TestEnvironment.h"

#include <QFile>

#include <csignal>

namespace testkit {

QString standinEngine() {
    return QStringLiteral(STANDIN_GODOT);
}

void behave(const QString& project, const QString& settings) {
    writeFile(project, QStringLiteral(".standin"), settings.toUtf8());
}

QList<QStringList> standinRuns(const QString& project) {
    QList<QStringList> runs;
    for (const QByteArray& line :
         readFile(project + QStringLiteral("/.standin-args")).split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList args = QString::fromUtf8(line).split(QChar(0x1f));
        args.removeLast(); // each argument ends with the separator
        runs << args;
    }
    return runs;
}

pid_t standinPid(const QString& project) {
    return waitForPid(project + QStringLiteral("/.standin.pid"));
}

pid_t waitForPid(const QString& file) {
    pid_t pid = 0;
    waitUntil([&] { return (pid = readFile(file).trimmed().toInt()) > 0; });
    return pid;
}

bool isAlive(pid_t pid) {
    if (pid <= 0 || ::kill(pid, 0) != 0)
        return false;
    // "pid (name) S ...": the state follows the last parenthesis.
    const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) != "Z";
}

bool waitUntilGone(pid_t pid) {
    return waitUntil([pid] { return !isAlive(pid); });
}

} // namespace testkit
