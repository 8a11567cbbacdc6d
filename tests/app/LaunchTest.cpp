#include "LaunchFixture.h"

#include "testkit/SmallDisk.h"

#include <QFileInfo>

using K = Phase::Kind;

namespace {

TEST_F(Launch, FirstPlayRunsEveryStepOnceAndFitsTheWindowToTheScreen) {
    model().start(RunRequest::play());
    ASSERT_TRUE(runToEnd()) << "a second Play while the run goes on is ignored";
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::Downloading, K::SettingUp, K::Starting,
                                K::Playing, K::Ready}));
    EXPECT_EQ(steps,
              (QStringList{"Step 1 of 4 \u00b7 Downloading the game",
                           "Step 2 of 4 \u00b7 Downloading Godot 3.5.3 (about 70 MB)",
                           "Step 3 of 4 \u00b7 First-time setup, this can take a minute or more",
                           "", ""}));
    EXPECT_EQ(lastRun(), "--path " + project() + " --windowed --resolution 1634x918");
}

TEST_F(Launch, ASecondPlayGoesStraightToTheGameWithThatPressesOptionsPatchedAgain) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    testkit::writeFile(project(), "src/actor/player/player.gd", "changed\n");
    model().setFullscreen(true);
    phases.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(phases, (QList<K>{K::Starting, K::Playing, K::Ready}));
    EXPECT_EQ(lastRun(), "--path " + project() + " --fullscreen");
    EXPECT_EQ(server.requestLog().filter(".zip").size(), 2) << "nothing is downloaded again";
    EXPECT_TRUE(model().log().lines().contains("Hip-fire change skipped: the game's player script "
                                               "looks different from what was expected."));
}

TEST_F(Launch, UpdateFetchesOnlyTheGameAndSetsItUpWithoutStartingIt) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    phases.clear();
    ASSERT_TRUE(runToEnd(RunRequest::update()));
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::SettingUp, K::Ready}));
    EXPECT_EQ(server.requestLog().filter("main.zip").size(), 2);
    EXPECT_EQ(server.requestLog().filter(".zip").size(), 3);
    EXPECT_TRUE(lastRun().contains("--editor"));
}

TEST_F(Launch, ReinstallAndRemoveEverythingAskFirstAndKeepTheSaves) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QString saves = Paths::savesFolder("Brennick");
    testkit::writeFile(saves, "save.dat", "progress");
    harness->prompts.answers = {true, false, true};
    phases.clear();
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().reinstall();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(phases.mid(0, 4),
              (QList<K>{K::NotDownloaded, K::Downloading, K::Downloading, K::SettingUp}));
    EXPECT_TRUE(model().hasSaves());
    QSignalSpy removed(&model(), &AppModel::removalFinished);
    model().removeEverything(); // answered no
    ASSERT_TRUE(removed.wait(10'000));
    EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder()));
    model().removeEverything();
    ASSERT_TRUE(removed.wait(10'000));
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
    EXPECT_FALSE(model().hasSaves()) << "without a game the saves folder is not known";
    EXPECT_EQ(model().log().size(), 0);
    EXPECT_EQ(testkit::readFile(saves + "/save.dat"), "progress");
}

// Each is told as what it is, after as many tries as may help.
TEST_F(Launch, AFailedUpdateIsToldAsWhatItIsAndTheGameOnDiskStays) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    testkit::writeFile(project(), "mine.txt", "kept");
    const QString signIn = "The server 127.0.0.1 sent a web page instead of the file. If this "
                           "network wants you to sign in first (as in hotels, airports and "
                           "caf\u00e9s), sign in with a web browser and press Play again.";
    QByteArray damaged = testkit::gameZip();
    for (qsizetype at = damaged.size() / 8; at < damaged.size(); at += damaged.size() / 8)
        damaged[at] = static_cast<char>(~damaged[at]);
    const struct {
        const char* name;
        QByteArray body;
        QJsonObject how = {};
        QString needs;
        int requests = 0; // 0 for a cut: the network library may ask once more on its own
    } rows[] = {
        {.name = "cut short",
         .body = QByteArray(100'000, 'z'),
         .how = {{"drop_after", 1000}},
         .needs = "A download failed: The server 127.0.0.1 closed the connection before the "
                  "download was complete. Check your internet connection and press Play again."},
        {.name = "whole but damaged",
         .body = damaged,
         .needs = "The file from 127.0.0.1 arrived in full but is damaged: the copy on the server "
                  "is broken. Try again later.",
         .requests = 2},
        {.name = "typed as a web page",
         .body = "Welcome to the Airport Wi-Fi",
         .how = {{"content_type", "text/html; charset=utf-8"}},
         .needs = signIn,
         .requests = 1},
        {.name = "starts like a web page",
         .body = "\n <!DOCTYPE html><html><body>Sign in</body></html>",
         .needs = signIn,
         .requests = 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const qsizetype before = server.requestLog().filter("main.zip").size();
        server.setRoute(gamePath, row.body, row.how);
        ASSERT_TRUE(runToEnd(RunRequest::update()));
        EXPECT_EQ(model().phase().text(), row.needs);
        EXPECT_TRUE(row.needs.contains(model().log().lines().last().mid(9)));
        const qsizetype requests = server.requestLog().filter("main.zip").size() - before;
        EXPECT_TRUE(row.requests == 0 || requests == row.requests) << requests;
        EXPECT_EQ(testkit::readFile(project() + "/mine.txt"), "kept");
    }
    EXPECT_TRUE(model().log().lines().contains("The server 127.0.0.1 closed the connection before "
                                               "the download was complete. Trying again in 1 s "
                                               "(2 of 4)."));
    EXPECT_TRUE(details.contains("Connection lost \u00b7 trying again in 1 s (4 of 4)"));
}

TEST_F(Launch, ACSharpGameIsRefusedOnlyOnceItsDetailsAreShownAndItIsPatched) {
    server.setRoute(gamePath, testkit::gameZip({}, "\"3.5\", \"C#\""));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().phase().text(), "This game uses C#, which needs the .NET SDK installed on "
                                      "this computer. This app can't set that up.");
    EXPECT_TRUE(model().info()->usesCSharp);
    EXPECT_TRUE(model().log().lines().contains(
        "Applied hip-fire change (gun fires when not aiming, less accurate)."));
    EXPECT_EQ(server.requestLog().last(), gamePath) << "no engine was asked for";
}

// A failure stays until the next run. The game's process may not exist yet when the window shows
// Starting: a Stop or a Cancel then must still end it.
TEST_F(Launch, EarlyExitStopCancelAndNormalCloseAreToldApart) {
    // Godot 3 complains like this on every first import; it says nothing about the game.
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    setBehaviour("import_output='ERROR: Cannot open file res://.import/icon.png-1a.sample\\n' "
                 "game_tail=end");
    GameRunner::forgetImport();
    phases.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().failure(), (Failure{"The game closed after 0 seconds (exit code 0), so it "
                                          "did not stay open. Last log lines:",
                                          {"end"}}));
    EXPECT_EQ(phases, (QList<K>{K::SettingUp, K::Starting, K::Ready})) << "never Playing";

    setBehaviour("game_seconds=60");
    for (int round = 0; round < 12; ++round) {
        const bool stop = round % 2 == 0;
        const auto connection = QObject::connect(&model(), &AppModel::phaseChanged, [&] {
            if (model().phase().kind() == K::Starting)
                stop ? model().stopGame() : model().cancel();
        });
        ASSERT_TRUE(runToEnd()) << "round " << round;
        QObject::disconnect(connection);
        EXPECT_EQ(model().log().lines().last(), stop ? "Game stopped." : "Cancelled.");
    }
    EXPECT_TRUE(gameGone());
    EXPECT_FALSE(model().failure().has_value());

    setBehaviour("game_seconds=0.6");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
}

TEST_F(Launch, ADataFolderThatCannotRunProgramsIsToldBeforeTheEngineDownload) {
    const SmallDisk disk(dataHome(), "size=16m,noexec");
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)";
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(model().phase().text().contains(Paths::supportRoot() +
                                                ": its drive is mounted with noexec"));
    EXPECT_TRUE(server.requestLog().filter("godotengine").isEmpty());
}

TEST_F(Launch, CancelInEachStepLeavesWhatTheDiskHolds) {
    const QJsonObject slow{{"trickle", 100}, {"interval", 100}};
    const struct {
        const char* name;
        K phase;
        QString path;
        QByteArray body;
        QJsonObject how;
        bool gameOnDisk;
    } rows[] = {
        {.name = "game download",
         .phase = K::Downloading,
         .path = gamePath,
         .body = testkit::gameZip(),
         .how = slow,
         .gameOnDisk = false},
        {.name = "engine download",
         .phase = K::Downloading,
         .path = enginePath,
         .body = testkit::engineZip(),
         .how = slow,
         .gameOnDisk = true},
        {.name = "checksum list never comes",
         .phase = K::Downloading,
         .path = sumsPath,
         .body = "",
         .how = {{"silent", true}},
         .gameOnDisk = true},
        {.name = "first-time setup",
         .phase = K::SettingUp,
         .path = gamePath,
         .body = testkit::gameZip("import_sidecars=0"),
         .how = {},
         .gameOnDisk = true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        startOver();
        server.setRoute(row.path, row.body, row.how);
        QSignalSpy finished(&model(), &AppModel::runFinished);
        model().start(RunRequest::play());
        ASSERT_TRUE(testkit::eventually([&] {
            return model().phase().kind() == row.phase &&
                   model().info().has_value() == row.gameOnDisk;
        }));
        QTest::qWait(200);
        model().cancel();
        ASSERT_TRUE(finished.wait(5'000)) << "a cancel takes effect at once";
        EXPECT_EQ(finished.first().first().value<RunEnding>(), RunEnding::Cancelled);
        EXPECT_EQ(model().log().lines().last(), "Cancelled.");
        EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
        EXPECT_EQ(model().info().has_value(), row.gameOnDisk);
        EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
    }
    EXPECT_TRUE(gameGone());
}

} // namespace
