#include "LaunchFixture.h"

#include "testkit/SmallDisk.h"

#include <QFileInfo>

using K = Phase::Kind;

namespace {

class LaunchEndings : public LaunchFixture {
protected:
    void install(const QString& behaviour) {
        ASSERT_TRUE(runToEnd(false, false));
        setBehaviour(behaviour);
    }
    static void setBehaviour(const QString& settings) {
        testkit::behave(project(), "editor_gap=0.05 import_sidecars=2\n" + settings);
    }
    static bool gameGone() { return testkit::waitUntilGone(testkit::standinPid(project())); }
};

TEST_F(LaunchEndings, EarlyExitCrashAndNormalCloseAreToldApartByTheGamesOwnLines) {
    // Godot 3 complains like this on every first import; it says nothing about the game.
    install("import_output='ERROR: Cannot open file res://.import/icon.png-1a.sample\\n' "
            "game_tail=end");
    GameRunner::forgetImport();
    phases.clear();
    ASSERT_TRUE(runToEnd());
    ASSERT_TRUE(model().failure().has_value());
    EXPECT_EQ(model().failure()->headline, "The game closed after 0 seconds (exit code 0), so it "
                                           "did not stay open. Last log lines:");
    EXPECT_EQ(model().failure()->lines, QStringList{"end"});
    EXPECT_TRUE(phases.contains(K::SettingUp));
    EXPECT_FALSE(phases.contains(K::Playing));
    EXPECT_EQ(model().phase().kind(), K::Ready);
    setBehaviour("game_errors='ERROR: Failed loading resource: res://level.tscn\\n'");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().failure()->action, FailureAction::Reinstall);
    setBehaviour("game_seconds=0.6 game_crash=SEGV");
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(model().failure()->headline.contains(
        "(exit code 11), so it did not stay open. The game crashed (segmentation fault, signal "
        "11)."));
    setBehaviour("game_seconds=0.6");
    ASSERT_TRUE(runToEnd());
    EXPECT_FALSE(model().failure().has_value()) << "a new run clears the last failure";
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
}

TEST_F(LaunchEndings, QuittingAsksWhileTheGameRunsAndStopsItWithoutAFailure) {
    EXPECT_TRUE(model().confirmQuit());
    install("game_seconds=60");
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().start(false, true);
    ASSERT_TRUE(testkit::eventually([&] { return model().phase().kind() == K::Playing; }));
    EXPECT_FALSE(model().canCancel());
    harness->prompts.answers = {false, true};
    EXPECT_FALSE(model().confirmQuit());
    EXPECT_TRUE(model().isGameRunning());
    EXPECT_TRUE(model().confirmQuit());
    EXPECT_EQ(harness->prompts.asked.size(), 2);
    ASSERT_TRUE(finished.wait(10'000));
    EXPECT_FALSE(finished.first().first().toBool()) << "stopping the game is no cancel";
    EXPECT_EQ(model().log().lines().last(), "Game stopped.");
    EXPECT_FALSE(model().failure().has_value());
    EXPECT_EQ(model().phase().kind(), K::Ready);
    EXPECT_TRUE(gameGone());
}

// The game's process may not exist yet when the window shows Starting: a Stop, a Cancel or a
// quit then must still end it.
TEST_F(LaunchEndings, AStopOrCancelAsTheGameStartsIsNeverLost) {
    install("game_seconds=60");
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
}

TEST_F(LaunchEndings, ADataFolderThatCannotRunProgramsIsToldBeforeTheEngineDownload) {
    const SmallDisk disk(dataHome(), "size=16m,noexec");
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)";
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().phase().text(),
              "Programs can't run from " + Paths::supportRoot() +
                  ": its drive is mounted with "
                  "noexec, so Godot can't start there. Point XDG_DATA_HOME at a folder on another "
                  "drive and press Play again.");
    EXPECT_EQ(requestsFor("godotengine"), 0);
}

TEST_F(LaunchEndings, CancelInEachStepLeavesWhatTheDiskHolds) {
    const QJsonObject slow{{"trickle", 100}, {"interval", 100}};
    const std::tuple<K, std::function<void()>, bool> cases[] = {
        {K::Downloading,
         [&] {
             server.setRoute("/varnel/godot_brennick/archive/refs/heads/main.zip",
                             testkit::gameZip(), slow);
         },
         false},
        {K::Downloading,
         [&] {
             server.setRoute(QUrl(testkit::sampleEngine().archiveUrl()).path(),
                             testkit::engineZip(), slow);
         },
         true},
        {K::SettingUp, [&] { server.serveGameArchive(testkit::gameZip("import_sidecars=0")); },
         true},
    };
    for (const auto& [phase, arrange, gameOnDisk] : cases) {
        startOver();
        arrange();
        QSignalSpy finished(&model(), &AppModel::runFinished);
        model().start(false, true);
        ASSERT_TRUE(testkit::eventually([&, phase = phase, onDisk = gameOnDisk] {
            return model().phase().kind() == phase && model().info().has_value() == onDisk;
        }));
        QTest::qWait(200);
        model().cancel();
        ASSERT_TRUE(finished.wait(5'000)) << "a cancel takes effect at once";
        EXPECT_TRUE(finished.first().first().toBool());
        EXPECT_EQ(model().log().lines().last(), "Cancelled.");
        EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
        EXPECT_EQ(model().info().has_value(), gameOnDisk);
        EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
    }
    EXPECT_TRUE(gameGone());
}

TEST_F(LaunchEndings, RemoveAndReinstallNeverTouchTheSaves) {
    install({});
    const QString saves = Paths::savesFolder("Brennick");
    testkit::writeFile(saves, "save.dat", "progress");
    model().refresh();
    EXPECT_TRUE(model().hasSaves());
    harness->prompts.answers = {false, true};
    QSignalSpy removed(&model(), &AppModel::removalFinished);
    model().removeEverything(); // answered no
    ASSERT_TRUE(removed.wait(10'000));
    EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder()));
    model().removeEverything();
    ASSERT_TRUE(removed.wait(10'000));
    EXPECT_TRUE(harness->prompts.asked[1].informativeText.startsWith(
        "This deletes the downloaded game and Godot engine and frees "));
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
    EXPECT_FALSE(model().info().has_value());
    EXPECT_FALSE(model().hasSaves()) << "without a game the saves folder is not known";
    EXPECT_EQ(model().log().size(), 0);

    // Only an engine left: reinstall still removes it and runs every step.
    ASSERT_TRUE(runToEnd(false, false));
    QDir(Paths::gameFolder()).removeRecursively();
    phases.clear();
    harness->prompts.answer = true;
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().reinstall();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(phases.mid(0, 4),
              (QList<K>{K::NotDownloaded, K::Downloading, K::Downloading, K::SettingUp}));
    EXPECT_EQ(testkit::readFile(saves + "/save.dat"), "progress");
    EXPECT_TRUE(model().hasSaves());
}

} // namespace
