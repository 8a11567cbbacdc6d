#include "runner/GameRunner.h"

#include "support/CancelToken.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>

namespace {

const auto godot = [](const char* version) { return EngineSpec{version[0] - '0', version, false}; };

// A game project inside the launcher's game folder (its path has a space), run by the stand-in
// engine with the behaviour a test writes for it.
class GameRunnerTest : public IsolatedTest {
protected:
    static QString project() { return Paths::gameFolder() + "/Brennick Game"; }
    static void behave(const QString& settings) { testkit::behave(project(), settings); }
    // The log once the lines queued by other threads have arrived.
    QStringList logLines() {
        QCoreApplication::processEvents();
        return log.lines();
    }
    // Empty when the import succeeded, else the sentence it failed with.
    QString import(const char* version, ImportTiming timing = {50ms, 10s},
                   const QString& program = testkit::standinEngine()) {
        GameRunner runner(log, timing);
        CancelToken token;
        const QString failure =
            failureOf([&] { runner.runImport(program, project(), godot(version), token); });
        EXPECT_EQ(GameRunner::isImported(project(), godot(version)), failure.isEmpty());
        return failure;
    }
    LogStore log;
};

TEST_F(GameRunnerTest, ImportJudgesWhatTheEngineLeftOnDisk) {
    const char* headless = "--headless --import --quit";
    const QString setup = "First-time setup ";
    const struct { const char *name, *version, *behave, *mode; QString failure = {}; } rows[] = {
        {.name = "4 no cache", .version = "4.3", .behave = "import_cache=false", .mode = headless,
         .failure = setup + "ended but did not create the game's imported data (.godot folder)."},
        {.name = "4 failed, done", .version = "4.2.2", .behave = "import_exit=1", .mode = headless},
        {.name = "4 incomplete", .version = "4.3", .behave = "import_missing=1", .mode = headless,
         .failure = setup + "did not finish importing the game's files (1 still missing, Godot "
                            "exit code 0)."},
        {.name = "4.2.1 editor", .version = "4.2.1", .behave = "import_exit=1 import_missing=1",
         .mode = "--headless --editor --quit", .failure = setup + "stopped with exit code 1."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(Paths::gameFolder()).removeRecursively();
        log.clear();
        behave(row.behave);
        EXPECT_EQ(import(row.version), row.failure);
        EXPECT_EQ(logLines().value(0), "Running first-time setup: standin-godot.sh " +
                                           QString(row.mode) + " --path " + project());
    }
}

// The editor writes one sidecar at once and the next 2.5 s later: the count holds still over two
// checks in between, but only three checks in a row end the editor.
TEST_F(GameRunnerTest, AGodot3ImportEndsOnlyOnceTheCountHoldsStill) {
    behave("import_sidecars=2 editor_gap=2.5");
    EXPECT_EQ(import("3.5.3", {1000ms, 30s}), "");
    EXPECT_EQ(GameRunner::importState(project()).total, 2);
}

TEST_F(GameRunnerTest, AnImportThatDoesNotFinishIsStoppedAtTheLimit) {
    behave("import_sidecars=2 import_missing=1 editor_gap=0 import_hang=true");
    for (const char* version : {"3.5.3", "4.3"})
        EXPECT_EQ(import(version, {50ms, 300ms}),
                  "First-time setup took longer than 15 minutes and was stopped.");
}

TEST_F(GameRunnerTest, AnImportCountsOnlyForItsVersionWhileItsDataIsThereAndIfItsEngineRan) {
    behave("editor_gap=0 editor_stay=false");
    EXPECT_EQ(import("3.5.3"), "");
    EXPECT_FALSE(GameRunner::isImported(project(), godot("3.5.2"))) << "another version's import";
    QDir(project() + "/.import").removeRecursively();
    EXPECT_FALSE(GameRunner::isImported(project(), godot("3.5.3"))) << "its imported data is gone";
    EXPECT_EQ(import("4.3"), "");
    // An engine that fails (no display, a damaged program) imports nothing, whatever is there.
    behave("editor_gap=0 editor_stay=false import_exit=255");
    EXPECT_EQ(import("3.5.3"), "First-time setup stopped with exit code 255.");
    behave("kill -SEGV $$");
    EXPECT_EQ(import("4.3"),
              "First-time setup stopped: Godot crashed (segmentation fault, signal 11).");
    EXPECT_EQ(import("4.3", {}, "/nonexistent/godot"),
              "First-time setup stopped with exit code -1.");
    EXPECT_EQ(logLines().last(),
              "/nonexistent/godot could not be started: No such file or directory.");
}

TEST_F(GameRunnerTest, ImportStateCountsTheDestinationsOfTheProjectsOwnVisibleSidecars) {
    const QString present = "\"res://present.png\"", absent = "\"res://absent.png\"";
    const struct { const char* name; int total, missing; QString text; } rows[] = {
        {.name = "res only", .total = 1, .missing = 0,
         .text = "[" + present + ", \"user://absent\", \"absent\"]"},
        {.name = "not the path", .total = 0, .missing = 0, .text = "[  ]\n[remap]\npath=" + absent},
        {.name = "first list", .total = 1, .missing = 0,
         .text = "[" + present + "]\ndest_files=[" + absent + "]"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        testkit::writeFile(dir.path(), "present.png", "x");
        for (const char* name :
             {"a/sprite.png.import", ".hidden/b.import", ".c.import", "d.imports"})
            testkit::writeFile(dir.path(), name, ("dest_files=" + row.text).toUtf8());
        QFile::link(dir.path() + "/a", dir.path() + "/linked");
        const ImportState state = GameRunner::importState(dir.path());
        EXPECT_EQ(std::pair(state.total, state.missing), std::pair(row.total, row.missing));
    }
}

TEST_F(GameRunnerTest, PlayLogsEveryLineKeepsTheGamesLastLinesAndTimesTheRun) {
    QString settings = "game_seconds=0.5 game_tail='";
    for (int i = 1; i <= GameRunner::keptOutputLines + 5; ++i)
        settings += QString::number(i) + "\\n";
    behave(settings + "'");
    GameRunner runner(log);
    CancelToken stop;
    const RunOutcome outcome = runner.play(testkit::standinEngine(), project(), 3, {}, stop);
    EXPECT_TRUE(outcome.seconds >= 0.5 && outcome.seconds < 10) << outcome.seconds;
    EXPECT_EQ(outcome.output, logLines().mid(logLines().size() - GameRunner::keptOutputLines));
}

// A stop that comes before the game has started still ends it.
TEST_F(GameRunnerTest, AGameThatCannotStartOrIsStoppedFirstLeavesNothingRunning) {
    GameRunner runner(log);
    CancelToken stop;
    EXPECT_THROW(runner.play("/nonexistent/godot", project(), 3, {}, stop), Problem);
    EXPECT_EQ(runner.job(), nullptr);
    behave("game_seconds=30");
    stop.cancel();
    const RunOutcome stopped = runner.play(testkit::standinEngine(), project(), 3, {}, stop);
    EXPECT_TRUE(stopped.exitCode == 15 && stopped.signalled);
}

} // namespace
