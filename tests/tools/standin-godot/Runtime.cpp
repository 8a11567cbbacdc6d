#include "Runtime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace runtime {

void print(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void printError(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void sleepSeconds(double seconds) {
    if (seconds > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void stayUntilTerminated() {
    for (;;)
        ::pause();
}

void dieBy(int signal) {
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    // A sanitizer's own handler would turn the signal into an exit code.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    ::_exit(128 + signal);
}

void leaveHolderOfOutput(double seconds, const QString& pidFile) {
    const pid_t holder = ::fork();
    if (holder == 0) {
        sleepSeconds(seconds);
        ::_exit(0);
    }
    writeFile(pidFile, QByteArray::number(holder));
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void announce(const QString& project) {
    writeFile(project + QStringLiteral("/.standin.pid"), QByteArray::number(::getpid()));
}

} // namespace runtime
