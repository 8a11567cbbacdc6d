#include "LaunchFixture.h"

#include "runner/ProcessJob.h"
#include "support/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using K = Phase::Kind;

class LaunchEndings : public LaunchFixture {
protected:
    // Installs everything, then gives the game a new behaviour and plays it.
    void playInstalled(const QString& behaviour) {
        ASSERT_TRUE(runToEnd(false, false));
        setBehaviour(behaviour);
        phases.clear();
        ASSERT_TRUE(runToEnd());
    }

    static bool processGone(const QString& pidFile) {
        const qint64 pid = testkit::readFile(pidFile).trimmed().toLongLong();
        return pid > 0 &&
               QTest::qWaitFor([pid] { return ::kill(static_cast<pid_t>(pid), 0) != 0; }, 5000);
    }
};

TEST_F(LaunchEndings, EarlyExitCrashAndNormalCloseAreToldApart) {
    playInstalled(
        QStringLiteral("game-errors = ERROR: Failed loading resource: res://level.tscn\\n\n"
                       "game-tail = last words\n"));
    ASSERT_TRUE(model().failure().has_value());
    EXPECT_EQ(
        model().failure()->headline,
        QStringLiteral(
            "The game closed after 0 seconds (exit code 0), so it did not stay open. Some game "
            "files could not be loaded; try Reinstall in Settings. Last log lines:"));
    EXPECT_EQ(model().failure()->lines.last(), QStringLiteral("last words"));
    EXPECT_FALSE(phases.contains(K::Playing));
    EXPECT_EQ(model().phase().kind(), K::Ready);

    setBehaviour(QStringLiteral("game-seconds = 0.6\ngame-crash = segv\n"));
    ASSERT_TRUE(runToEnd());
    ASSERT_TRUE(model().failure().has_value());
    EXPECT_TRUE(model().failure()->headline.contains(QStringLiteral("(exit code 11)")))
        << model().failure()->headline.toStdString();

    setBehaviour(QStringLiteral("game-seconds = 0.6\n"));
    ASSERT_TRUE(runToEnd());
    EXPECT_FALSE(model().failure().has_value()) << "a new run clears the last failure";
    EXPECT_EQ(model().log().lines().last(), QStringLiteral("Game closed normally."));
}

TEST_F(LaunchEndings, StopEndsTheGameWithoutAFailure) {
    ASSERT_TRUE(runToEnd(false, false));
    setBehaviour(QStringLiteral("game-seconds = 60\n"));
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().start(false, true);
    ASSERT_TRUE(waitForPhase(K::Playing));
    EXPECT_TRUE(model().isGameRunning());
    EXPECT_FALSE(model().canCancel());
    model().stopGame();
    ASSERT_TRUE(finished.wait(10'000));
    EXPECT_FALSE(finished.first().first().toBool()) << "stopping the game is no cancel";
    EXPECT_EQ(model().log().lines().last(), QStringLiteral("Game stopped."));
    EXPECT_FALSE(model().failure().has_value());
    EXPECT_EQ(model().phase().kind(), K::Ready);
    EXPECT_TRUE(processGone(projectDir() + QStringLiteral("/.standin.pid")));
}

TEST_F(LaunchEndings, QuitAsksOnlyWhileTheGameRuns) {
    EXPECT_TRUE(model().confirmQuit());
    EXPECT_TRUE(prompts.asked.isEmpty());
    ASSERT_TRUE(runToEnd(false, false));
    setBehaviour(QStringLiteral("game-seconds = 60\n"));
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().start(false, true);
    ASSERT_TRUE(waitForPhase(K::Starting));
    prompts.answer = false;
    EXPECT_FALSE(model().confirmQuit());
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_EQ(prompts.asked[0].message, QStringLiteral("The game is still running"));
    EXPECT_EQ(prompts.asked[0].acceptButton, QStringLiteral("Quit and close the game"));
    EXPECT_EQ(prompts.asked[0].rejectButton, QStringLiteral("Keep playing"));
    EXPECT_TRUE(model().isGameRunning());
    prompts.answer = true;
    EXPECT_TRUE(model().confirmQuit());
    ASSERT_TRUE(finished.wait(10'000));
    EXPECT_EQ(model().log().lines().last(), QStringLiteral("Game stopped."));
}

TEST_F(LaunchEndings, CancelInEachStepLeavesWhatTheDiskHolds) {
    struct Case {
        const char* name;
        Phase::Kind cancelIn;
        std::function<void()> arrange;
        bool gameOnDisk;
    };
    testkit::HttpRoute slow;
    slow.trickleBytes = 100;
    slow.trickleInterval = std::chrono::milliseconds(100);
    const Case cases[] = {
        {"game download", K::Downloading,
         [this, slow] {
             testkit::HttpRoute route = slow;
             route.body = gameZip({});
             server.setRoute(QStringLiteral("/varnel/godot_brennick/archive/refs/heads/main.zip"),
                             route);
         },
         false},
        {"engine download", K::Downloading,
         [this, slow] {
             testkit::HttpRoute route = slow;
             route.body = engineZip();
             server.setRoute(QUrl(gameEngine().archiveUrl()).path(), route);
         },
         true},
        {"first-time import", K::SettingUp,
         [this] { server.serveGameArchive(gameZip(QStringLiteral("editor-spread = 600\n"))); },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        QSignalSpy finished(&model(), &AppModel::runFinished);
        model().start(false, true);
        ASSERT_TRUE(waitForPhase(c.cancelIn));
        if (c.cancelIn == K::Downloading && c.gameOnDisk) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return model().stepText().contains(QStringLiteral("Godot")); }, 30'000));
        }
        QTest::qWait(200);
        model().cancel();
        ASSERT_TRUE(finished.wait(5'000)) << "a cancel takes effect at once";
        EXPECT_TRUE(finished.first().first().toBool());
        EXPECT_EQ(model().log().lines().last(), QStringLiteral("Cancelled."));
        EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
        EXPECT_EQ(model().info().has_value(), c.gameOnDisk);
        EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
        if (c.cancelIn == K::SettingUp) {
            EXPECT_TRUE(processGone(projectDir() + QStringLiteral("/.standin.pid")));
        }
        QDir(Paths::supportRoot()).removeRecursively();
        resetMirror();
    }
}

TEST_F(LaunchEndings, RemoveAndReinstallNeverTouchTheSaves) {
    ASSERT_TRUE(runToEnd(false, false));
    const QString saves = Paths::savesFolder(QStringLiteral("Brennick"));
    testkit::writeFile(saves, QStringLiteral("save.dat"), "progress");
    model().refresh();
    EXPECT_TRUE(model().hasSaves());

    QSignalSpy removed(&model(), &AppModel::removalFinished);
    model().removeEverything();
    ASSERT_TRUE(removed.wait(10'000));
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(prompts.asked[0].informativeText.startsWith(
        QStringLiteral("This deletes the downloaded game and Godot engine and frees ")));
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
    EXPECT_FALSE(model().info().has_value());
    EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
    EXPECT_FALSE(model().hasSaves()) << "without a game the saves folder is not known";
    EXPECT_EQ(model().log().size(), 0);
    EXPECT_EQ(testkit::readFile(saves + QStringLiteral("/save.dat")), QByteArray("progress"));

    // Only an engine left: reinstall still removes it and runs every step.
    ASSERT_TRUE(runToEnd(false, false));
    QDir(Paths::gameFolder()).removeRecursively();
    phases.clear();
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().reinstall();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(phases.mid(0, 4),
              (QList<K>{K::NotDownloaded, K::Downloading, K::Downloading, K::SettingUp}));
    EXPECT_EQ(testkit::readFile(saves + QStringLiteral("/save.dat")), QByteArray("progress"));
    EXPECT_TRUE(model().hasSaves());
}
