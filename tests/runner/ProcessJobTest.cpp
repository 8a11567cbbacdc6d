#include "runner/ProcessJob.h"

#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct Finished {
    QStringList lines;
    int status = -1;
};

Finished runShell(const QString& script) {
    Finished result;
    ProcessJob job("/bin/sh", {"-c", script}, [&](const QString& line) { result.lines << line; });
    result.status = job.run();
    return result;
}

TEST(ProcessJob, DeliversOutputAsLinesAndTheStatusOrKillingSignal) {
    const std::tuple<const char*, QStringList, int> cases[] = {
        {"printf 'a\\r\\nb\\n'", {"a", "b"}, 0},
        {"printf abc; sleep 0.2; printf 'def\\n'; exit 3", {"abcdef"}, 3},
        {"echo out; echo err >&2; printf last", {"out", "err", "last"}, 0},
        // Standard input is the null device, never the launcher's own input.
        {"readlink /proc/$$/fd/0; cat; echo after", {"/dev/null", "after"}, 0},
        {"kill -TERM $$", {}, 15},
        {"ulimit -c 0; kill -SEGV $$", {}, 11},
        {"ulimit -c 0; kill -ABRT $$", {}, 6},
    };
    for (const auto& [script, lines, status] : cases) {
        const Finished finished = runShell(script);
        EXPECT_EQ(finished.lines, lines) << script;
        EXPECT_EQ(finished.status, status) << script;
    }
}

TEST(ProcessJob, ThrowsWithAReasonWhenTheProgramCannotStart) {
    ProcessJob job("/nonexistent/godot", {"--path", "x"}, [](const QString&) {});
    try {
        job.run();
        FAIL() << "run() returned";
    } catch (const ProcessLaunchError& error) {
        EXPECT_EQ(error.description(),
                  "/nonexistent/godot could not be started: No such file or directory.");
    }
    EXPECT_FALSE(job.isRunning());
}

// Runs `script` (which starts a grandchild and writes its pid to the file %1) and stops the
// job from another thread once the grandchild runs. Answers the status and the time taken.
std::pair<int, std::chrono::steady_clock::duration>
stopOnceTheGrandchildRuns(const QString& script) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("grandchild");
    ProcessJob job("/bin/sh", {"-c", script.arg(pidFile)}, [](const QString&) {});
    pid_t grandchild = 0;
    std::optional<bool> runningSeen;
    std::thread stopper([&] {
        grandchild = testkit::waitForPid(pidFile);
        runningSeen = job.isRunning();
        job.stop();
    });
    const auto started = std::chrono::steady_clock::now();
    const int status = job.run();
    const auto took = std::chrono::steady_clock::now() - started;
    stopper.join();
    EXPECT_EQ(runningSeen, true);
    EXPECT_FALSE(job.isRunning());
    EXPECT_GT(grandchild, 0);
    EXPECT_TRUE(testkit::waitUntilGone(grandchild));
    return {status, took};
}

TEST(ProcessJob, StopEndsTheWholeProcessGroupAndKillsOneThatIgnoresIt) {
    const auto [status, took] = stopOnceTheGrandchildRuns("sleep 30 & echo $! > '%1'; wait");
    EXPECT_EQ(status, 15);
    EXPECT_LT(took, 15s);
    // An ignored signal stays ignored in what the shell starts, so neither ends on SIGTERM.
    const auto [killed, grace] =
        stopOnceTheGrandchildRuns("trap '' TERM; sleep 30 & echo $! > '%1'; wait");
    EXPECT_EQ(killed, 9);
    EXPECT_GE(grace, ProcessJob::stopGrace);
    EXPECT_LT(grace, ProcessJob::stopGrace + 10s);
}

TEST(ProcessJob, AStopBeforeOrWhileTheChildStartsIsNeverLost) {
    ProcessJob early("/bin/sh", {"-c", "sleep 30"}, [](const QString&) {});
    early.stop();
    EXPECT_EQ(early.run(), 15);
    for (int i = 0; i < 20; ++i) {
        ProcessJob job("/bin/sh", {"-c", "exit 0"}, [](const QString&) {});
        std::atomic<bool> go = false;
        std::thread stopper([&] {
            while (!go)
                std::this_thread::yield();
            job.stop();
        });
        go = true;
        const int status = job.run();
        stopper.join();
        EXPECT_TRUE(status == 0 || status == 15) << status;
        job.stop(); // after the end: a no-op
    }
}

TEST(ProcessJob, AThrowingLineHandlerEndsTheChildBeforeTheErrorLeaves) {
    pid_t child = 0;
    ProcessJob job("/bin/sh", {"-c", "echo $$; sleep 30"}, [&](const QString& line) {
        child = line.toInt();
        throw std::runtime_error("handler failed");
    });
    EXPECT_THROW(job.run(), std::runtime_error);
    EXPECT_FALSE(job.isRunning());
    EXPECT_FALSE(testkit::isAlive(child));
}

} // namespace
