#include "runner/ProcessJob.h"

#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

#include <cstdio>
#include <thread>

namespace {

using ProcessJobTest = IsolatedTest; // TMPDIR of its own

TEST_F(ProcessJobTest, DeliversTheOutputLineByLineAndTheExitStatus) {
    // 'a' and 2-byte characters: the first cut at 64 KiB would fall inside one.
    const QString first = 'a' + QString(32767, u'\u00e9'), full(32768, u'\u00e9'),
                  rest(75000 - 32767 - 32768, u'\u00e9');
    const struct { const char *name, *script; QStringList lines; int status; } rows[] = {
        {.name = "line ends", .script = "printf 'a\\r\\nb\\n\\n10%%\\r  spaces \\t\\n'",
         .lines = {"a", "b", "10%", "  spaces \t"}, .status = 0},
        {.name = "pieces", .script = "printf abc; sleep 0.2; printf 'd\\303\\251\\n\\377x'; exit 3",
         .lines = {"abcdé", "\ufffdx"}, .status = 3},
        // Godot 4 colours its output.
        {.name = "colours",
         .script = "printf '\\033[90m\\033[1mscan\\033[22m | Done\\033[39m\\n\\033[0m\\n'",
         .lines = {"scan | Done"}, .status = 0},
        // Godot 3's error dialog may hold the output open after the engine died: its end counts.
        {.name = "held open",
         .script = "sleep 30 & echo $! > \"$TMPDIR/holder\"; echo out; echo err >&2; printf last; "
                   "exit 4", .lines = {"out", "err", "last"}, .status = 4},
        // Standard input is the null device, never the launcher's own (a file, here).
        {.name = "no input", .script = "readlink /proc/$$/fd/0; cat; echo after",
         .lines = {"/dev/null", "after"}, .status = 0},
        // An endless line is cut at 64 KiB, between characters, and goes on marked: bounded memory.
        {.name = "endless line",
         .script = "printf a; yes \u00e9 | head -n 75000 | tr -d '\\n'; echo; echo next",
         .lines = {first, "\u2026" + full, "\u2026" + rest, "next"}, .status = 0},
    };
    ASSERT_NE(std::freopen("/proc/version", "r", stdin), nullptr);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList seen;
        ProcessJob job("/bin/sh", {"-c", row.script}, [&](const QString& line) { seen << line; });
        EXPECT_EQ(job.run(), row.status);
        EXPECT_EQ(seen, row.lines);
    }
    const pid_t holder = testkit::waitForPid(QDir::tempPath() + "/holder");
    ASSERT_TRUE(testkit::isAlive(holder)) << "left alone: it is the user's dialog";
    ::kill(holder, SIGKILL);
}

// Each script starts a grandchild, writes its pid to the file %1 and waits; the job is stopped
// from another thread once the grandchild runs. An ignored signal stays ignored in what the shell
// starts, so that one ends only by the kill after the grace time.
TEST_F(ProcessJobTest, StopEndsTheWholeProcessGroupAndKillsItAfterTheGrace) {
    const QString wait = "sleep 30 & echo $! > '%1'; wait";
    const struct { const char* name; QString script; int status; bool waits; } rows[] = {
        {.name = "ends", .script = wait, .status = 15, .waits = false},
        {.name = "ignores", .script = "trap '' TERM; " + wait, .status = 9, .waits = true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString script = row.script.arg(dir.filePath("pid"));
        ProcessJob job("/bin/sh", {"-c", script}, [](const QString&) {});
        pid_t grandchild = 0;
        std::thread stopper([&] {
            grandchild = testkit::waitForPid(dir.filePath("pid"));
            job.stop();
        });
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(job.run(), row.status);
        EXPECT_EQ(std::chrono::steady_clock::now() - started >= ProcessJob::stopGrace, row.waits);
        stopper.join();
        EXPECT_FALSE(job.isRunning());
        EXPECT_TRUE(grandchild > 0 && testkit::waitUntilGone(grandchild));
    }
}

} // namespace
