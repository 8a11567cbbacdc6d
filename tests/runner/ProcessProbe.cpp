#include "ProcessProbe.h"

#include "testkit/TestEnvironment.h"

#include <thread>

#include <csignal>

namespace probe {

bool isAlive(pid_t pid) {
    if (pid <= 0 || ::kill(pid, 0) != 0)
        return false;
    // "pid (name) S ...": the state follows the last parenthesis.
    const QByteArray stat = testkit::readFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 || stat.mid(close + 2, 1) != "Z";
}

template <typename Done> static bool waitUntil(Done done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

bool waitUntilGone(pid_t pid, std::chrono::milliseconds timeout) {
    return waitUntil([pid] { return !isAlive(pid); }, timeout);
}

pid_t waitForPid(const QString& file, std::chrono::milliseconds timeout) {
    pid_t pid = 0;
    waitUntil([&] { return (pid = testkit::readFile(file).trimmed().toInt()) > 0; }, timeout);
    return pid;
}

} // namespace probe
