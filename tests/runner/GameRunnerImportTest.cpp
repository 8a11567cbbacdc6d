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

QString marker(const EngineSpec& spec) {
    return Paths::gameFolder() + "/.setup2-done-" + spec.version;
}

class ImportTest : public StandinTest {
protected:
    // Empty when the import succeeded, else the sentence it failed with.
    QString import(const EngineSpec& spec, ImportTiming timing = {50ms, 10s},
                   const QString& program = testkit::standinEngine()) {
        GameRunner runner(log, timing);
        CancelToken token;
        QString failure;
        try {
            runner.runImport(program, project(), spec, token);
        } catch (const DownloadError& error) {
            failure = error.description();
        }
        EXPECT_EQ(runner.job(), nullptr);
        EXPECT_EQ(QFileInfo::exists(marker(spec)), failure.isEmpty());
        return failure;
    }
    void freshProject(const QString& behaviour) {
        QDir(Paths::gameFolder()).removeRecursively();
        StandinTest::SetUp();
        behave(behaviour);
        log.clear();
    }
};

TEST(ImportArguments, FollowTheEngineRelease) {
    const QString p = "/games/My Game";
    const std::pair<const char*, QStringList> cases[] = {
        {"3.5.3", {"--editor", "--path", p}},
        {"4.2.1", {"--headless", "--editor", "--quit", "--path", p}},
        {"4.2.2", {"--headless", "--import", "--quit", "--path", p}},
        {"4.3", {"--headless", "--import", "--quit", "--path", p}},
    };
    for (const auto& [version, args] : cases)
        EXPECT_EQ(GameRunner::importArguments(p, godot(version)), args) << version;
}

TEST_F(ImportTest, JudgesWhatTheEngineLeftOnDisk) {
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
        SCOPED_TRACE(std::string(version) + " " + behaviour);
        freshProject(behaviour);
        const QStringList args = GameRunner::importArguments(project(), godot(version));
        EXPECT_EQ(import(godot(version)), failure);
        EXPECT_EQ(testkit::standinRuns(project()), QList<QStringList>{args});
        EXPECT_EQ(logLines().value(0),
                  "Running first-time setup: standin-godot.sh " + args.join(' '));
    }
}

// The editor writes one sidecar at once and the next 2.5 s later: the count held still over
// two checks in between, but only three checks in a row end the editor.
TEST_F(ImportTest, Godot3WatchEndsTheEditorOnlyOnceTheCountHoldsStill) {
    behave("import_sidecars=2 editor_gap=2.5");
    EXPECT_EQ(import(godot("3.5.3"), {1000ms, 30s}), "");
    EXPECT_TRUE(testkit::waitUntilGone(testkit::standinPid(project())));
    const ImportState state = GameRunner::importState(project());
    EXPECT_EQ(state.total, 2);
    EXPECT_EQ(state.missing, 0);
    EXPECT_EQ(testkit::readFile(marker(godot("3.5.3"))), "ok");
}

TEST_F(ImportTest, ImportsThatDoNotFinishAreStoppedAtTheLimit) {
    behave("import_sidecars=2 import_missing=1 editor_gap=0 import_hang=true");
    EXPECT_EQ(import(godot("3.5.3"), {50ms, 300ms}),
              "First-time setup did not finish importing the game's files (1 still missing, Godot "
              "exit code 15).");
    EXPECT_EQ(import(godot("4.3"), {50ms, 300ms}),
              "First-time setup took longer than 15 minutes and was stopped.");
    EXPECT_TRUE(testkit::waitUntilGone(testkit::standinPid(project())));
}

TEST_F(ImportTest, AnEngineThatCannotStartReadsAsExitCodeMinusOne) {
    EXPECT_EQ(import(godot("4.3"), {}, "/nonexistent/godot"),
              "First-time setup stopped with exit code -1.");
    EXPECT_EQ(logLines(),
              (QStringList{"Running first-time setup: godot --headless --import --quit --path " +
                               project(),
                           "/nonexistent/godot could not be started: No such file or directory."}));
}

TEST_F(ImportTest, ACancelEndsTheEngineAndLeavesNoMarker) {
    behave("import_hang=true editor_gap=60");
    for (const char* version : {"3.5.3", "4.3"}) {
        GameRunner runner(log, {50ms, 60s});
        CancelToken token;
        std::thread worker([&] {
            EXPECT_THROW(
                runner.runImport(testkit::standinEngine(), project(), godot(version), token),
                Cancelled);
        });
        const pid_t pid = testkit::standinPid(project());
        token.cancel();
        worker.join();
        EXPECT_EQ(runner.job(), nullptr);
        EXPECT_TRUE(pid > 0 && !testkit::isAlive(pid)) << version;
        EXPECT_FALSE(QFileInfo::exists(marker(godot(version))));
        QFile::remove(project() + "/.standin.pid");
    }
    CancelToken cancelled;
    cancelled.cancel();
    GameRunner runner(log);
    EXPECT_THROW(runner.runImport(testkit::standinEngine(), project(), godot("4.3"), cancelled),
                 Cancelled);
    EXPECT_EQ(runner.job(), nullptr);
}

TEST_F(ImportTest, IsImportedNeedsTheMarkerOfThisVersionAndTheImportedData) {
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"3.5.3", ".import", "3.5.3", true}, {"3.5.2", ".import", "3.5.3", false},
        {"3.5.3", "", "3.5.3", false},       {"", ".import", "3.5.3", false},
        {"4.3", ".godot", "4.3", true},      {"4.3", ".import", "4.3", false},
    };
    for (const auto& [markerVersion, cacheFolder, asked, imported] : cases) {
        QDir(Paths::gameFolder()).removeRecursively();
        if (*markerVersion)
            testkit::writeFile(Paths::gameFolder(), QString(".setup2-done-") + markerVersion, "ok");
        if (*cacheFolder)
            testkit::writeFile(project(), QString(cacheFolder) + "/keep", "");
        EXPECT_EQ(GameRunner::isImported(project(), godot(asked)), imported)
            << markerVersion << cacheFolder << asked;
    }
}

} // namespace
