#include "runner/GameRunner.h"

#include "ProcessProbe.h"
#include "StandinTest.h"
#include "download/DownloadError.h"
#include "support/CancelToken.h"
#include "support/Paths.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

EngineSpec godot(const char* version) {
    return {QString(version).section('.', 0, 0).toInt(), version, false};
}

QString marker(const char* version) {
    return Paths::gameFolder() + "/.setup2-done-" + version;
}

class ImportTest : public StandinTest {
protected:
    // Empty when the import succeeded, else the sentence it failed with.
    QString import(const EngineSpec& spec, ImportTiming timing = {50ms, 10s},
                   const QString& program = engine()) {
        GameRunner runner(log, timing);
        CancelToken token;
        QString failure;
        try {
            runner.runImport(program, project(), spec, token);
        } catch (const DownloadError& error) {
            failure = error.description();
        }
        EXPECT_EQ(runner.job(), nullptr);
        EXPECT_EQ(QFileInfo::exists(marker(qPrintable(spec.version))), failure.isEmpty());
        return failure;
    }
};

TEST(ImportArguments, FollowTheEngineRelease) {
    const QString p = "/games/My Game";
    const QStringList editor{"--headless", "--editor", "--quit", "--path", p};
    const QStringList import{"--headless", "--import", "--quit", "--path", p};
    EXPECT_EQ(GameRunner::importArguments(p, godot("3.5.3")),
              (QStringList{"--editor", "--path", p}));
    EXPECT_EQ(GameRunner::importArguments(p, godot("4.0.4")), editor);
    EXPECT_EQ(GameRunner::importArguments(p, godot("4.1.3")), editor);
    EXPECT_EQ(GameRunner::importArguments(p, godot("4.2")), editor);
    EXPECT_EQ(GameRunner::importArguments(p, godot("4.2.1")), editor);
    EXPECT_EQ(GameRunner::importArguments(p, godot("4.2.2")), import);
    EXPECT_EQ(GameRunner::importArguments(p, godot("4.3")), import);
}

struct ImportCase {
    const char* name;
    const char* version;
    const char* behaviour;
    const char* failure; // empty: succeeds
};

class ImportOutcome : public ImportTest, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(ImportOutcome, JudgesWhatTheEngineLeftOnDisk) {
    const ImportCase& c = GetParam();
    behave(c.behaviour);
    const EngineSpec spec = godot(c.version);
    EXPECT_EQ(import(spec), QString(c.failure));
    EXPECT_EQ(recordedArguments(),
              QList<QStringList>{GameRunner::importArguments(project(), spec)});
    EXPECT_EQ(logLines().value(0), "Running first-time setup: standin-godot " +
                                       GameRunner::importArguments(project(), spec).join(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Engines, ImportOutcome,
    ::testing::Values(
        ImportCase{"Godot4Succeeds", "4.3", "", ""},
        ImportCase{"Godot41ImportsThroughTheEditor", "4.1.3", "", ""},
        ImportCase{"Godot4WithoutCacheFolder", "4.3", "import-cache = false",
                   "First-time setup ended but did not create the game's imported data (.godot "
                   "folder)."},
        ImportCase{"Godot4ExitOneAfterACompleteImport", "4.2.2", "import-exit = 1", ""},
        ImportCase{"Godot4ExitOneWithAMissingCopy", "4.2.2", "import-exit = 1\nimport-missing = 1",
                   "First-time setup stopped with exit code 1."},
        ImportCase{"Godot4ExitOneWithNothingImported", "4.2.2",
                   "import-exit = 1\nimport-sidecars = 0",
                   "First-time setup stopped with exit code 1."},
        ImportCase{"Godot3EditorQuitsComplete", "3.5.3", "editor-spread = 0\neditor-stay = false",
                   ""},
        ImportCase{"Godot3EditorQuitsIncomplete", "3.5.3",
                   "editor-spread = 0\neditor-stay = false\nimport-missing = 1",
                   "First-time setup did not finish importing the game's files (1 still missing, "
                   "Godot exit code 0)."},
        ImportCase{"Godot3EditorQuitsWithNothingImported", "3.5.3",
                   "editor-stay = false\nimport-sidecars = 0\nimport-exit = 3",
                   "First-time setup did not finish importing the game's files (0 still missing, "
                   "Godot exit code 3)."}),
    [](const auto& info) { return std::string(info.param.name); });

// The editor writes a sidecar every 100 ms for 0.8 s and then stays open; checks
// 400 ms apart see the count change until it is done, then end the editor.
TEST_F(ImportTest, Godot3WatchEndsTheEditorOnlyOnceTheCountHoldsStill) {
    behave("import-sidecars = 8\neditor-spread = 0.8\nimport-destinations = 2");
    EXPECT_EQ(import(godot("3.5.3"), {400ms, 30s}), "");
    EXPECT_TRUE(probe::waitUntilGone(enginePid()));
    const ImportState state = GameRunner::importState(project());
    EXPECT_EQ(state.total, 8);
    EXPECT_EQ(state.missing, 0);
    EXPECT_EQ(testkit::readFile(marker("3.5.3")), "ok");
}

TEST_F(ImportTest, Godot3WatchGivesUpAtTheLimit) {
    behave("import-sidecars = 2\nimport-missing = 1\neditor-spread = 0");
    EXPECT_EQ(import(godot("3.5.3"), {50ms, 300ms}),
              "First-time setup did not finish importing the game's files (1 still missing, Godot "
              "exit code 15).");
}

TEST_F(ImportTest, Godot4ImportThatHangsIsStoppedAtTheLimit) {
    behave("import-hang = true");
    EXPECT_EQ(import(godot("4.3"), {50ms, 300ms}),
              "First-time setup took longer than 15 minutes and was stopped.");
    EXPECT_TRUE(probe::waitUntilGone(enginePid()));
}

TEST_F(ImportTest, EngineThatCannotStartReadsAsExitCodeMinusOne) {
    EXPECT_EQ(import(godot("4.3"), {}, "/nonexistent/godot"),
              "First-time setup stopped with exit code -1.");
    EXPECT_EQ(logLines(),
              (QStringList{
                  "Running first-time setup: godot --headless --import --quit --path " + project(),
                  "/nonexistent/godot could not be started: No such file or directory.",
              }));
}

class ImportCancel : public ImportTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ImportCancel, EndsTheEngineAndLeavesNoMarker) {
    behave("import-hang = true\neditor-spread = 60");
    GameRunner runner(log, {50ms, 60s});
    CancelToken token;
    bool cancelled = false;
    std::thread worker([&] {
        try {
            runner.runImport(engine(), project(), godot(GetParam()), token);
        } catch (const Cancelled&) {
            cancelled = true;
        }
    });
    const pid_t pid = enginePid();
    token.cancel();
    worker.join();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(runner.job(), nullptr);
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(probe::isAlive(pid));
    EXPECT_FALSE(QFileInfo::exists(marker(GetParam())));
}

INSTANTIATE_TEST_SUITE_P(Engines, ImportCancel, ::testing::Values("3.5.3", "4.3"),
                         [](const auto& info) {
                             return "Godot" + std::string(info.param).substr(0, 1);
                         });

TEST_F(ImportTest, CancelBeforeTheEngineStartedStillEndsIt) {
    behave("import-hang = true");
    GameRunner runner(log);
    CancelToken token;
    token.cancel();
    EXPECT_THROW(runner.runImport(engine(), project(), godot("4.3"), token), Cancelled);
    EXPECT_EQ(runner.job(), nullptr);
}

struct MarkerCase {
    const char* name;
    const char* markerVersion;
    const char* cacheFolder;
    const char* askedVersion;
    bool imported;
};

class IsImported : public StandinTest, public ::testing::WithParamInterface<MarkerCase> {};

TEST_P(IsImported, NeedsTheMarkerOfThisVersionAndTheImportedData) {
    const MarkerCase& c = GetParam();
    if (*c.markerVersion)
        testkit::writeFile(Paths::gameFolder(), QString(".setup2-done-") + c.markerVersion, "ok");
    if (*c.cacheFolder)
        testkit::writeFile(project(), QString(c.cacheFolder) + "/keep", "");
    EXPECT_EQ(GameRunner::isImported(project(), godot(c.askedVersion)), c.imported);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, IsImported,
    ::testing::Values(MarkerCase{"Godot3", "3.5.3", ".import", "3.5.3", true},
                      MarkerCase{"OtherVersion", "3.5.2", ".import", "3.5.3", false},
                      MarkerCase{"ImportedDataDeleted", "3.5.3", "", "3.5.3", false},
                      MarkerCase{"NoMarker", "", ".import", "3.5.3", false},
                      MarkerCase{"Godot4", "4.3", ".godot", "4.3", true},
                      MarkerCase{"Godot4WrongFolder", "4.3", ".import", "4.3", false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
