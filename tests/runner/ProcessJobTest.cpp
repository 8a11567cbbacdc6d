#include "runner/ProcessJob.h"

#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

#include <cstdio>
#include <thread>

namespace {

using ProcessJobTest = IsolatedTest; // TMPDIR of its own

TEST_F(ProcessJobTest, DeliversOutputAsLinesAndTheStatusOrKillingSignal) {
    // 'a' and 2-byte characters: the first cut at 64 KiB would fall inside one.
    const QString first = 'a' + QString(32767, u'\u00e9'), full(32768, u'\u00e9'),
                  rest(75000 - 32767 - 32768, u'\u00e9');
    const std::tuple<const char*, QStringList, int> cases[] = {
        {"printf 'a\\r\\nb\\n\\n10%%\\r  spaces \\t\\n'", {"a", "b", "10%", "  spaces \t"}, 0},
        {"printf abc; sleep 0.2; printf 'd\\303\\251\\n\\377x'; exit 3", {"abcdé", "\ufffdx"}, 3},
        // Godot 3's error dialog may hold the output open after the engine died: its end counts.
        {"sleep 30 & echo $! > \"$TMPDIR/holder\"; echo out; echo err >&2; printf last; exit 4",
         {"out", "err", "last"}, 4},
        // Standard input is the null device, never the launcher's own (a file, here).
        {"readlink /proc/$$/fd/0; cat; echo after", {"/dev/null", "after"}, 0},
        // An endless line is cut at 64 KiB, between characters, and goes on marked: bounded memory.
        {"printf a; yes \u00e9 | head -n 75000 | tr -d '\\n'; echo; echo next",
         {first, "\u2026" + full, "\u2026" + rest, "next"}, 0},
    };
    ASSERT_NE(std::freopen("/proc/version", "r", stdin), nullptr);
    for (const auto& [script, lines, status] : cases) {
        QStringList seen;
        ProcessJob job("/bin/sh", {"-c", script}, [&](const QString& line) { seen << line; });
        EXPECT_EQ(job.run(), status) << script;
        EXPECT_EQ(seen, lines) << script;
    }
    const pid_t holder = testkit::waitForPid(QDir::tempPath() + "/holder");
    ASSERT_TRUE(testkit::isAlive(holder)) << "left alone: it is the user's dialog";
    ::kill(holder, SIGKILL);
}

// Each script starts a grandchild, writes its pid to the file %1 and waits; the job is stopped
// from another thread once the grandchild runs. An ignored signal stays ignored in what the shell
// starts, so the second ends only by the kill after the grace time.
TEST_F(ProcessJobTest, StopEndsTheWholeProcessGroupAndKillsOneThatIgnoresIt) {
    for (const QString script :
         {"sleep 30 & echo $! > '%1'; wait", "trap '' TERM; sleep 30 & echo $! > '%1'; wait"}) {
        QTemporaryDir dir;
        ProcessJob job("/bin/sh", {"-c", script.arg(dir.filePath("pid"))}, [](const QString&) {});
        pid_t grandchild = 0;
        std::thread stopper([&] {
            grandchild = testkit::waitForPid(dir.filePath("pid"));
            job.stop();
        });
        const auto started = std::chrono::steady_clock::now();
        const bool ignores = script.startsWith("trap");
        EXPECT_EQ(job.run(), ignores ? 9 : 15) << script;
        EXPECT_EQ(std::chrono::steady_clock::now() - started >= ProcessJob::stopGrace, ignores);
        stopper.join();
        EXPECT_FALSE(job.isRunning());
        EXPECT_TRUE(grandchild > 0 && testkit::waitUntilGone(grandchild));
    }
}

} // namespace
