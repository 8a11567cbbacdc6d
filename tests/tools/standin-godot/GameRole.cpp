// The game: prints what it is told, stays up, then exits, crashes, or leaves a
// process behind that holds the output open.
#include "Roles.h"
#include "Runtime.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace {

// "game-rate" lines a second for "game-seconds", on a fixed schedule.
void printSteadily(int perSecond, double seconds) {
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    for (long frame = 0;; ++frame) {
        const auto due = start + std::chrono::duration_cast<clock::duration>(
                                     std::chrono::duration<double>(double(frame) / perSecond));
        if (due >= end)
            return;
        std::this_thread::sleep_until(due);
        runtime::print("frame " + QByteArray::number(frame) + " drawn\n");
    }
}

} // namespace

int playGame(const QString& project, const Behaviour& behaviour) {
    runtime::print(behaviour.bytes("game-output"));
    runtime::printError(behaviour.bytes("game-errors"));
    runtime::print(behaviour.bytes("game-tail"));
    runtime::announce(project);

    const double seconds = behaviour.seconds("game-seconds", 0);
    const int rate = behaviour.number("game-rate", 0);
    if (rate > 0)
        printSteadily(rate, seconds);
    else
        runtime::sleepSeconds(seconds);

    const double holdOutput = behaviour.seconds("game-grandchild", 0);
    if (holdOutput > 0)
        runtime::leaveHolderOfOutput(holdOutput,
                                     project + QStringLiteral("/.standin-grandchild.pid"));
    const QByteArray crash = behaviour.bytes("game-crash");
    if (crash == "segv")
        runtime::dieBy(SIGSEGV);
    if (crash == "abrt")
        runtime::dieBy(SIGABRT);
    return behaviour.number("game-exit", 0);
}
