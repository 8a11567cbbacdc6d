#pragma once

#include <QByteArray>
#include <QString>

// What every role of the stand-in does the way the engine would.
namespace runtime {

// Writes to standard output (or error) at once, as the engine does line by line.
void print(const QByteArray& bytes);
void printError(const QByteArray& bytes);

void sleepSeconds(double seconds);
// Waits until a signal ends the process.
[[noreturn]] void stayUntilTerminated();
// Dies by `signal` (SIGSEGV, SIGABRT) as a crashing engine does, without a core file.
[[noreturn]] void dieBy(int signal);
// Starts a process that keeps the output pipe open for `seconds` after this
// one ended, like the engine's error dialog; writes its pid to `pidFile`.
void leaveHolderOfOutput(double seconds, const QString& pidFile);

void writeFile(const QString& path, const QByteArray& bytes);
// Writes this process's pid to ".standin.pid" in the project: start-up is done.
void announce(const QString& project);

} // namespace runtime
