#include "runner/ProcessJob.h"

#include "ProcessProbe.h"
#include "testkit/TestEnvironment.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace std::chrono_literals;

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

struct OutputCase {
    const char* name;
    const char* script;
    QStringList lines;
};

class ProcessJobOutput : public ::testing::TestWithParam<OutputCase> {};

TEST_P(ProcessJobOutput, DeliversTheChildsOutputAsLines) {
    const Finished finished = runShell(GetParam().script);
    EXPECT_EQ(finished.lines, GetParam().lines);
    EXPECT_EQ(finished.status, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ProcessJobOutput,
    ::testing::Values(
        OutputCase{"CrLfAndLf", "printf 'a\\r\\nb\\n'", {"a", "b"}},
        OutputCase{"LineSplitAcrossReads", "printf abc; sleep 0.2; printf 'def\\n'", {"abcdef"}},
        OutputCase{"ErrorsMergedAndLastLineFlushed",
                   "echo out; echo err >&2; printf last",
                   {"out", "err", "last"}},
        // Standard input is the null device, never the launcher's own input.
        OutputCase{"InputIsTheNullDevice",
                   "readlink /proc/$$/fd/0; cat; echo after",
                   {"/dev/null", "after"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
    const char* name;
    const char* script;
    int status;
};

class ProcessJobStatus : public ::testing::TestWithParam<StatusCase> {};

TEST_P(ProcessJobStatus, ReportsExitCodesAndKillingSignals) {
    EXPECT_EQ(runShell(GetParam().script).status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ProcessJobStatus,
                         ::testing::Values(StatusCase{"Success", "exit 0", 0},
                                           StatusCase{"ExitCode", "exit 3", 3},
                                           StatusCase{"Terminated", "kill -TERM $$", 15},
                                           StatusCase{"Segfault", "ulimit -c 0; kill -SEGV $$", 11},
                                           StatusCase{"Abort", "ulimit -c 0; kill -ABRT $$", 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProcessJob, ThrowsWithAReasonWhenTheProgramCannotStart) {
    int lines = 0;
    ProcessJob job("/nonexistent/godot", {"--path", "x"}, [&](const QString&) { ++lines; });
    try {
        job.run();
        FAIL() << "run() returned";
    } catch (const ProcessLaunchError& error) {
        EXPECT_EQ(error.description(),
                  "/nonexistent/godot could not be started: No such file or directory.");
    }
    EXPECT_EQ(lines, 0);
    EXPECT_FALSE(job.isRunning());
}

TEST(ProcessJob, IsRunningOnlyWhileTheChildIs) {
    std::optional<bool> runningWhileOutput;
    ProcessJob watched("/bin/sh", {"-c", "echo hi; sleep 0.2"},
                       [&](const QString&) { runningWhileOutput = watched.isRunning(); });
    EXPECT_FALSE(watched.isRunning());
    watched.run();
    EXPECT_EQ(runningWhileOutput, true);
    EXPECT_FALSE(watched.isRunning());
}

// Godot 3's error dialog keeps the output pipe open after the engine died.
TEST(ProcessJob, ReturnsOnceTheChildEndedEvenIfItsOwnChildHoldsTheOutput) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("holder");
    const auto started = std::chrono::steady_clock::now();
    const Finished finished = runShell(
        QString("sleep 30 & echo $! > '%1'; echo dying; printf unterminated; exit 4").arg(pidFile));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);
    EXPECT_EQ(finished.lines, (QStringList{"dying", "unterminated"}));
    EXPECT_EQ(finished.status, 4);
    const pid_t holder = probe::waitForPid(pidFile);
    EXPECT_TRUE(probe::isAlive(holder)); // left alone: it is the user's dialog
    ::kill(holder, SIGKILL);
}

namespace {

struct StoppedGroup {
    int status = -1;
    std::chrono::steady_clock::duration took{};
    pid_t grandchild = 0;
};

// Runs `script` (which starts a grandchild and writes its pid to the file named
// by %1), and stops the job from another thread once the grandchild runs.
StoppedGroup stopOnceTheGrandchildRuns(const QString& script) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("grandchild");
    ProcessJob job("/bin/sh", {"-c", script.arg(pidFile)}, [](const QString&) {});
    StoppedGroup result;
    std::thread stopper([&] {
        result.grandchild = probe::waitForPid(pidFile);
        job.stop();
    });
    const auto started = std::chrono::steady_clock::now();
    result.status = job.run();
    result.took = std::chrono::steady_clock::now() - started;
    stopper.join();
    return result;
}

} // namespace

TEST(ProcessJob, StopFromAnotherThreadEndsTheWholeProcessGroup) {
    const StoppedGroup stopped =
        stopOnceTheGrandchildRuns("sleep 30 & echo $! > '%1'; echo started; wait");
    EXPECT_EQ(stopped.status, 15);
    EXPECT_LT(stopped.took, 15s);
    ASSERT_GT(stopped.grandchild, 0);
    EXPECT_TRUE(probe::waitUntilGone(stopped.grandchild));
}

TEST(ProcessJob, AGroupThatIgnoresTheStopIsKilledAfterTheGracePeriod) {
    // An ignored signal stays ignored in what the shell starts, so neither ends on SIGTERM.
    const StoppedGroup stopped =
        stopOnceTheGrandchildRuns("trap '' TERM; sleep 30 & echo $! > '%1'; wait");
    EXPECT_EQ(stopped.status, 9);
    EXPECT_GE(stopped.took, ProcessJob::stopGrace);
    EXPECT_LT(stopped.took, ProcessJob::stopGrace + 10s);
    ASSERT_GT(stopped.grandchild, 0);
    EXPECT_TRUE(probe::waitUntilGone(stopped.grandchild));
}

TEST(ProcessJob, StopBeforeTheChildStartedEndsItOnceItHas) {
    ProcessJob job("/bin/sh", {"-c", "sleep 30"}, [](const QString&) {});
    job.stop();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(job.run(), 15);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 15s);
}

TEST(ProcessJob, StopRacingTheChildsExitIsHarmless) {
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
    ASSERT_GT(child, 0);
    EXPECT_FALSE(probe::isAlive(child));
}

} // namespace
