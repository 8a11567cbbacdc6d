#include "runner/ProcessJob.h"

#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

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
        {"printf 'a\\r\\nb\\n\\n'", {"a", "b"}, 0},
        {"printf '10%%\\r50%%\\r  spaces \\t\\n'", {"10%", "50%", "  spaces \t"}, 0},
        {"printf abc; sleep 0.2; printf 'd\\303\\251\\n\\377x'; exit 3", {"abcdé", "\ufffdx"}, 3},
        {"echo out; echo err >&2; printf last", {"out", "err", "last"}, 0},
        // Standard input is the null device, never the launcher's own input.
        {"readlink /proc/$$/fd/0; cat; echo after", {"/dev/null", "after"}, 0},
        {"kill -TERM $$", {}, 15},
        {"ulimit -c 0; kill -SEGV $$", {}, 11},
    };
    for (const auto& [script, lines, status] : cases) {
        const Finished finished = runShell(script);
        EXPECT_EQ(finished.lines, lines) << script;
        EXPECT_EQ(finished.status, status) << script;
    }
    // A line without end is cut at 64 KiB and goes on, marked, so memory stays bounded.
    const Finished endless = runShell("head -c 150000 /dev/zero | tr '\\0' a; echo; echo next");
    const QString kibs(64 * 1024, 'a');
    EXPECT_EQ(endless.lines, (QStringList{kibs, "\u2026" + kibs,
                                          "\u2026" + QString(150000 - 131072, 'a'), "next"}));
    ProcessJob missing("/nonexistent/godot", {}, [](const QString&) {});
    try {
        missing.run();
        ADD_FAILURE() << "run() returned";
    } catch (const ProcessLaunchError& error) {
        EXPECT_EQ(error.description(),
                  "/nonexistent/godot could not be started: No such file or directory.");
    }
}

// Runs `script` (which starts a grandchild and writes its pid to the file %1) and stops the job
// from another thread once the grandchild runs. Answers the status and the time it took.
std::pair<int, std::chrono::steady_clock::duration> stopWhenRunning(const QString& script) {
    QTemporaryDir dir;
    ProcessJob job("/bin/sh", {"-c", script.arg(dir.filePath("pid"))}, [](const QString&) {});
    pid_t grandchild = 0;
    bool runningSeen = false;
    std::thread stopper([&] {
        grandchild = testkit::waitForPid(dir.filePath("pid"));
        runningSeen = job.isRunning();
        job.stop();
    });
    const auto started = std::chrono::steady_clock::now();
    const int status = job.run();
    const auto took = std::chrono::steady_clock::now() - started;
    stopper.join();
    EXPECT_TRUE(runningSeen);
    EXPECT_FALSE(job.isRunning());
    EXPECT_TRUE(grandchild > 0 && testkit::waitUntilGone(grandchild));
    return {status, took};
}

TEST(ProcessJob, StopEndsTheWholeProcessGroupAndKillsOneThatIgnoresIt) {
    EXPECT_EQ(stopWhenRunning("sleep 30 & echo $! > '%1'; wait").first, 15);
    // An ignored signal stays ignored in what the shell starts, so neither ends on SIGTERM.
    const auto [status, took] = stopWhenRunning("trap '' TERM; sleep 30 & echo $! > '%1'; wait");
    EXPECT_EQ(status, 9);
    EXPECT_GE(took, ProcessJob::stopGrace);
    EXPECT_LT(took, ProcessJob::stopGrace + 10s);
}

TEST(ProcessJob, AStopBeforeOrWhileTheChildStartsIsNeverLost) {
    ProcessJob early("/bin/sh", {"-c", "sleep 30"}, [](const QString&) {});
    early.stop();
    EXPECT_EQ(early.run(), 15);
    for (int i = 0; i < 20; ++i) {
        ProcessJob job("/bin/sh", {"-c", "exit 0"}, [](const QString&) {});
        std::thread stopper([&] { job.stop(); });
        const int status = job.run();
        stopper.join();
        EXPECT_TRUE(status == 0 || status == 15) << status;
    }
}

// Godot 3's error dialog keeps the output open after the engine died; a handler that throws
// must not leave the child behind.
TEST(ProcessJob, EndsWithTheChildWhateverItLeftOrItsHandlerDid) {
    QTemporaryDir dir;
    const Finished finished =
        runShell(QString("sleep 30 & echo $! > '%1'; echo dying; printf unterminated; exit 4")
                     .arg(dir.filePath("pid")));
    EXPECT_EQ(finished.lines, (QStringList{"dying", "unterminated"}));
    EXPECT_EQ(finished.status, 4);
    const pid_t holder = testkit::waitForPid(dir.filePath("pid"));
    EXPECT_TRUE(testkit::isAlive(holder)) << "left alone: it is the user's dialog";
    ::kill(holder, SIGKILL);

    pid_t child = 0;
    ProcessJob job("/bin/sh", {"-c", "echo $$; sleep 30"}, [&](const QString& line) {
        child = line.toInt();
        throw std::runtime_error("handler failed");
    });
    EXPECT_THROW(job.run(), std::runtime_error);
    EXPECT_FALSE(testkit::isAlive(child));
}

} // namespace
