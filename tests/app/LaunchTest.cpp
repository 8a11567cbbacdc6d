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
    EXPECT_TRUE(model().log().lines().contains("Hip-fire change skipped: the game's player script "
                                               "looks different from what was expected."));
}

TEST_F(Launch, UpdateFetchesOnlyTheGameAndSetsItUpWithoutStartingIt) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    phases.clear();
    ASSERT_TRUE(runToEnd(RunRequest::update()));
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::SettingUp, K::Ready}));
}

// The new game and Godot are swapped in only once both are ready: a failed or cancelled
// reinstall leaves the earlier ones playable.
TEST_F(Launch, ReinstallReplacesTheGameAndGodotTogetherOrNotAtAll) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QString engine = testkit::sampleEngine().installFolder();
    for (const QString& folder : {project(), engine})
        testkit::writeFile(folder, "earlier", "x");
    const auto earlierKept = [&] {
        return QFileInfo::exists(project() + "/earlier") && QFileInfo::exists(engine + "/earlier");
    };
    server.setRoute(enginePath, "gone", {{"status", 404}});
    ASSERT_TRUE(runToEnd(RunRequest::reinstall()));
    EXPECT_EQ(model().phase().text(), "The server answered with HTTP 404.");
    EXPECT_TRUE(earlierKept());
    testkit::serveSampleGame(server, "game_seconds=1");
    const auto cancelAtGodot = QObject::connect(&model(), &AppModel::stepTextChanged, [&] {
        if (model().stepText().startsWith("Step 2"))
            model().cancel();
    });
    ASSERT_TRUE(runToEnd(RunRequest::reinstall()));
    QObject::disconnect(cancelAtGodot);
    EXPECT_TRUE(earlierKept());
    EXPECT_TRUE(QDir(Paths::engineFolder()).entryList({"staging-*"}, QDir::Dirs).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
    phases.clear();
    ASSERT_TRUE(runToEnd(RunRequest::reinstall()));
    EXPECT_EQ(phases.mid(0, 4), (QList<K>{K::Downloading, K::Downloading, K::SettingUp,
                                         K::Starting}));
    EXPECT_FALSE(QFileInfo::exists(project() + "/earlier"));
    EXPECT_FALSE(QFileInfo::exists(engine + "/earlier"));
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
    EXPECT_EQ(phases.mid(0, 3), (QList<K>{K::Downloading, K::Downloading, K::SettingUp}));
    EXPECT_TRUE(model().hasSaves());
    QSignalSpy removed(&model(), &AppModel::removalFinished);
    const auto remove = [&] { model().removeEverything(); return removed.wait(10'000); };
    ASSERT_TRUE(remove()); // answered no
    EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder()));
    ASSERT_TRUE(remove());
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
    EXPECT_FALSE(model().hasSaves()) << "without a game the saves folder is not known";
    EXPECT_EQ(model().log().size(), 0);
    EXPECT_EQ(testkit::readFile(saves + "/save.dat"), "progress");
}

TEST_F(Launch, AFailedDownloadIsToldWithItsRetriesAndTheAdviceToCheckTheConnection) {
    server.setRoute(gamePath, QByteArray(100'000, 'z'), {{"drop_after", 1000}});
    ASSERT_TRUE(runToEnd());
    const QString cut = "The server 127.0.0.1 closed the connection before the download was "
                        "complete.";
    EXPECT_EQ(model().phase().text(), "A download failed: " + cut +
                                          " Check your internet connection and press Play again.");
    EXPECT_EQ(model().log().lines().last(), "Problem: " + cut);
    EXPECT_TRUE(model().log().lines().contains(cut + " Trying again in 1 s (2 of 4)."));
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
    EXPECT_EQ(model().failure()->headline, "The game closed after 0 seconds (exit code 0), so it "
                                           "did not stay open. Last log lines:");
    EXPECT_EQ(model().failure()->lines, QStringList{"end"});
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
        QJsonObject how = {};
        bool gameOnDisk = true;
    } rows[] = {
        {.name = "game download", .phase = K::Downloading, .path = gamePath,
         .body = testkit::gameZip(), .how = slow, .gameOnDisk = false},
        {.name = "engine download", .phase = K::Downloading, .path = enginePath,
         .body = testkit::engineZip(), .how = slow},
        {.name = "checksum list never comes", .phase = K::Downloading, .path = sumsPath,
         .body = "", .how = {{"silent", true}}},
        {.name = "first-time setup", .phase = K::SettingUp, .path = gamePath,
         .body = testkit::gameZip("import_sidecars=0")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(Paths::supportRoot()).removeRecursively();
        testkit::serveSampleGame(server, "game_seconds=1");
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
        EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
        EXPECT_EQ(model().info().has_value(), row.gameOnDisk);
        EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
    }
    EXPECT_TRUE(gameGone());
}

} // namespace
