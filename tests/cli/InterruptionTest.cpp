// The launcher killed or interrupted at any moment of a first Play: the next Play still ends with
// a working game, and an orderly quit leaves no engine behind.
#include "LauncherProcess.h"

#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/TestEnvironment.h"

#include <QDirIterator>

#include <csignal>

namespace {

// Engines (stand-ins) still alive that were started for any project below `root`; ended here.
int endLivingEngines(const QString& root) {
    int alive = 0;
    QDirIterator it(root, {".standin.pid"}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const auto pid = static_cast<pid_t>(testkit::readFile(it.next()).trimmed().toLongLong());
        alive += pid > 0 && ::kill(pid, SIGKILL) == 0 ? 1 : 0;
    }
    return alive;
}

class Interruption : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        testkit::serveSampleGame(server, "editor_gap=0.2 import_sidecars=3 game_seconds=60");
        testkit::HttpRoute slowGame;
        slowGame.body = testkit::gameZip("editor_gap=0.2 import_sidecars=3 game_seconds=60");
        slowGame.trickleBytes = 256;
        slowGame.trickleInterval = 20ms;
        server.setRoute("/varnel/godot_brennick/archive/refs/heads/main.zip", slowGame);
    }
    LauncherProcess launcher(const QStringList& args) {
        return LauncherProcess(dataHome(), scratch() + "/config", args);
    }

    testkit::HttpTestServer server;
};

TEST_F(Interruption, KilledAtAnyMomentTheNextPlayStillWorks) {
    for (int delayMs : {30, 150, 400, 800, 1300, 2000}) {
        {
            LauncherProcess first = launcher({"setup"});
            QTest::qWait(delayMs);
            first.signal(SIGKILL);
            first.waitForExit(10'000);
        }
        endLivingEngines(dataHome());
    }
    LauncherProcess setup = launcher({"setup"});
    ASSERT_EQ(setup.waitForExit(120'000), 0) << setup.output();
    EXPECT_FALSE(QDir(Paths::gameStagingFolder()).exists());
    EXPECT_EQ(QDir(Paths::engineFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{testkit::sampleEngine().installFolderName()})
        << "no staging folder is left to grow";

    LauncherProcess play = launcher({"play"});
    ASSERT_TRUE(play.waitForOutput("Starting the game:", 30'000)) << play.output();
    EXPECT_FALSE(play.output().contains("Step ")) << "everything was in place";
}

TEST_F(Interruption, CtrlCAtAnyMomentLeavesNoEngineRunning) {
    // Downloading, setting up, playing; a closed terminal or a kill is handled like Ctrl-C.
    const std::tuple<const char*, int, int> points[] = {
        {"Step 1 of 4", SIGINT, 130},
        {"Running first-time setup", SIGINT, 130},
        {"Starting the game:", SIGINT, 0},
        {"Starting the game:", SIGHUP, 0},
        {"Running first-time setup", SIGTERM, 130},
    };
    for (const auto& [waitFor, number, status] : points) {
        SCOPED_TRACE(std::string(waitFor) + " / signal " + std::to_string(number));
        QDir(Paths::supportRoot()).removeRecursively();
        LauncherProcess play = launcher({"play"});
        ASSERT_TRUE(play.waitForOutput(waitFor, 60'000)) << play.output();
        QTest::qWait(300);
        play.signal(number);
        EXPECT_EQ(play.waitForExit(15'000), status) << play.output();
        EXPECT_EQ(endLivingEngines(dataHome()), 0);
    }
}

TEST_F(Interruption, TheWindowEndsInAnOrderlyWayWhenTold) {
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        LauncherProcess window = launcher({});
        ASSERT_TRUE(window.waitUntilCatching(number, 30'000)) << window.output();
        window.signal(number);
        EXPECT_EQ(window.waitForExit(15'000), 0) << number << window.output();
    }
}

} // namespace
