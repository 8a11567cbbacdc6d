#include "runner/GameRunner.h"

#include "StandinTest.h"
#include "download/DownloadError.h"
#include "support/CancelToken.h"

#include <QDir>
#include <QFileInfo>

#include <thread>

namespace {

EngineSpec godot(const char* version) {
    return {QString(version).section('.', 0, 0).toInt(), version, false};
}

QString marker(const char* version) {
    return Paths::gameFolder() + "/.setup2-done-" + version;
}

class GameRunnerTest : public StandinTest {
protected:
    // Empty when the import succeeded, else the sentence it failed with.
    QString import(const char* version, ImportTiming timing = {50ms, 10s},
                   const QString& program = testkit::standinEngine()) {
        GameRunner runner(log, timing);
        CancelToken token;
        QString failure;
        try {
            runner.runImport(program, project(), godot(version), token);
        } catch (const DownloadError& error) {
            failure = error.description();
        }
        EXPECT_EQ(runner.job(), nullptr);
        EXPECT_EQ(QFileInfo::exists(marker(version)), failure.isEmpty());
        return failure;
    }
};

TEST_F(GameRunnerTest, ImportJudgesWhatTheEngineLeftOnDisk) {
    const std::tuple<const char*, const char*, QString> cases[] = {
        {"4.3", "", ""},
        {"4.1.3", "", ""},
        {"4.3", "import_cache=false",
         "First-time setup ended but did not create the game's imported data (.godot folder)."},
        {"4.2.2", "import_exit=1", ""},
        {"4.2.2", "import_exit=1 import_missing=1", "First-time setup stopped with exit code 1."},
        {"4.2.2", "import_exit=1 import_sidecars=0", "First-time setup stopped with exit code 1."},
        {"3.5.3", "editor_gap=0 editor_stay=false", ""},
        {"3.5.3", "editor_gap=0 editor_stay=false import_missing=1",
         "First-time setup did not finish importing the game's files (1 still missing, Godot "
         "exit code 0)."},
        {"3.5.3", "editor_stay=false import_sidecars=0 import_exit=3",
         "First-time setup did not finish importing the game's files (0 still missing, Godot "
         "exit code 3)."},
    };
    for (const auto& [version, behaviour, failure] : cases) {
        QDir(Paths::gameFolder()).removeRecursively();
        SetUp();
        log.clear();
        behave(behaviour);
        const QStringList args = GameRunner::importArguments(project(), godot(version));
        EXPECT_EQ(import(version), failure) << version << " " << behaviour;
        EXPECT_EQ(testkit::standinRuns(project()), QList<QStringList>{args});
        EXPECT_EQ(logLines().value(0),
                  "Running first-time setup: standin-godot.sh " + args.join(' '));
    }
    EXPECT_EQ(GameRunner::importArguments("/p", godot("3.5.3")),
              (QStringList{"--editor", "--path", "/p"}));
    EXPECT_EQ(GameRunner::importArguments("/p", godot("4.2.1"))[1], "--editor");
    EXPECT_EQ(GameRunner::importArguments("/p", godot("4.2.2"))[1], "--import");
}

// The editor writes one sidecar at once and the next 2.5 s later: the count holds still over two
// checks in between, but only three checks in a row end the editor.
TEST_F(GameRunnerTest, Godot3WatchEndsTheEditorOnlyOnceTheCountHoldsStill) {
    behave("import_sidecars=2 editor_gap=2.5");
    EXPECT_EQ(import("3.5.3", {1000ms, 30s}), "");
    EXPECT_TRUE(testkit::waitUntilGone(testkit::standinPid(project())));
    EXPECT_EQ(GameRunner::importState(project()).total, 2);
    EXPECT_TRUE(GameRunner::importState(project()).allPresent());
}

TEST_F(GameRunnerTest, ImportsThatDoNotFinishAreStoppedAtTheLimitOrOnCancel) {
    EXPECT_EQ(import("4.3"), "");
    QFile::remove(marker("4.3"));
    EXPECT_EQ(import("4.3", {}, "/nonexistent/godot"), "First-time setup stopped with exit code -1.")
        << "an engine that never started is no success, whatever an earlier import left";
    EXPECT_EQ(logLines().last(), "/nonexistent/godot could not be started: No such file or directory.");
    behave("import_sidecars=2 import_missing=1 editor_gap=0 import_hang=true");
    EXPECT_EQ(import("3.5.3", {50ms, 300ms}),
              "First-time setup did not finish importing the game's files (1 still missing, Godot "
              "exit code 15).");
    EXPECT_EQ(import("4.3", {50ms, 300ms}),
              "First-time setup took longer than 15 minutes and was stopped.");
    for (const char* version : {"3.5.3", "4.3"}) {
        QFile::remove(project() + "/.standin.pid");
        GameRunner runner(log, {50ms, 60s});
        CancelToken token;
        std::thread canceller([&] {
            testkit::standinPid(project());
            token.cancel();
        });
        EXPECT_THROW(runner.runImport(testkit::standinEngine(), project(), godot(version), token),
                     Cancelled);
        canceller.join();
        EXPECT_FALSE(testkit::isAlive(testkit::standinPid(project()))) << version;
        EXPECT_FALSE(QFileInfo::exists(marker(version)));
    }
}

TEST_F(GameRunnerTest, IsImportedNeedsTheMarkerOfThisVersionAndTheImportedData) {
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"3.5.3", ".import", "3.5.3", true}, {"3.5.2", ".import", "3.5.3", false},
        {"3.5.3", "", "3.5.3", false},       {"4.3", ".godot", "4.3", true},
        {"4.3", ".import", "4.3", false},
    };
    for (const auto& [markerVersion, cacheFolder, asked, imported] : cases) {
        QDir(Paths::gameFolder()).removeRecursively();
        testkit::writeFile(Paths::gameFolder(), QString(".setup2-done-") + markerVersion, "ok");
        if (*cacheFolder)
            testkit::writeFile(project(), QString(cacheFolder) + "/keep", "");
        EXPECT_EQ(GameRunner::isImported(project(), godot(asked)), imported)
            << markerVersion << cacheFolder << asked;
    }
}

TEST_F(GameRunnerTest, ImportStateCountsTheDestinationsOfTheProjectsOwnVisibleSidecars) {
    const std::tuple<const char*, int, int> cases[] = {
        {"dest_files=[ \"res://present.png\", \"res://absent.png\" ]", 1, 1},
        {"dest_files=[\"res://present.png\", \"user://absent\", \"absent\"]", 1, 0},
        {"[remap]\npath=\"res://absent.png\"\ndest_files=[  ]\n", 0, 0},
        {"dest_files=[\"res://present.png\",\n\"res://absent.png\"", 1, 1},
        {"dest_files=[\"res://present.png\"]\ndest_files=[\"res://absent.png\"]", 1, 0},
    };
    for (const auto& [text, total, missing] : cases) {
        QTemporaryDir dir;
        testkit::writeFile(dir.path(), "present.png", "x");
        for (const char* name :
             {"a/sprite.png.import", ".hidden/b.import", ".c.import", "d.imports"})
            testkit::writeFile(dir.path(), name, text);
        QFile::link(dir.path() + "/a", dir.path() + "/linked");
        EXPECT_EQ(GameRunner::importState(dir.path()).total, total) << text;
        EXPECT_EQ(GameRunner::importState(dir.path()).missing, missing) << text;
    }
}

TEST_F(GameRunnerTest, PlayLogsTheCommandAndEveryLineAndMeasuresTheRun) {
    QString many;
    for (int i = 1; i <= GameRunner::keptOutputLines + 5; ++i)
        many += QString::number(i) + "\\n";
    behave("game_output='Godot Engine v3.5.3\\n' game_errors='ERROR: no GPU\\n' game_seconds=0.5 "
           "game_exit=1 game_tail='" + many + "'");
    GameRunner runner(log);
    CancelToken stop;
    const RunOutcome outcome =
        runner.play(testkit::standinEngine(), project(), 3, {false, "1280x720"}, stop);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_FALSE(outcome.signalled);
    EXPECT_GE(outcome.seconds, 0.5);
    EXPECT_LT(outcome.seconds, 10);
    const QStringList args{"--path", project(), "--windowed", "--resolution", "1280x720"};
    EXPECT_EQ(logLines().mid(0, 3), (QStringList{"Starting the game: " + args.join(' '),
                                                 "Godot Engine v3.5.3", "ERROR: no GPU"}));
    // The game's own last lines, without the launcher's.
    EXPECT_EQ(outcome.output, logLines().mid(logLines().size() - GameRunner::keptOutputLines));
    EXPECT_EQ(outcome.output.last(), QString::number(GameRunner::keptOutputLines + 5));
    EXPECT_EQ(testkit::standinRuns(project()), QList<QStringList>{args});
    // Compatibility graphics: the game's older renderer, by each engine's own option.
    EXPECT_EQ(GameRunner::arguments("/p", 3, {true, "", true}),
              (QStringList{"--path", "/p", "--fullscreen", "--video-driver", "GLES2"}));
    EXPECT_EQ(GameRunner::arguments("/p", 4, {false, "", true}),
              (QStringList{"--path", "/p", "--windowed", "--rendering-driver", "opengl3"}));
    EXPECT_THROW(runner.play("/nonexistent/godot", project(), 3, {}, stop), ProcessLaunchError);
    EXPECT_EQ(runner.job(), nullptr);
}

TEST_F(GameRunnerTest, AStopEndsTheGameKeepingItsLastWordsEvenBeforeItStarted) {
    behave("game_output='ready\\n' game_tail='last words' game_seconds=60");
    GameRunner runner(log);
    CancelToken stop;
    std::thread stopper([&] {
        testkit::standinPid(project());
        stop.cancel();
    });
    const RunOutcome stopped = runner.play(testkit::standinEngine(), project(), 3, {}, stop);
    EXPECT_EQ(stopped.exitCode, 15);
    EXPECT_TRUE(stopped.signalled);
    stopper.join();
    EXPECT_EQ(logLines().mid(1), (QStringList{"ready", "last words"}));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.play(testkit::standinEngine(), project(), 3, {}, stop).exitCode, 15);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
}

} // namespace
