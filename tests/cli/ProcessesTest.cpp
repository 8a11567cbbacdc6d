// The launcher as a process of its own: killed or interrupted at any moment, and a second one.
#include "LauncherProcess.h"

#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

namespace {

class Processes : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        const QString standin = "editor_gap=0.2 import_sidecars=3 game_seconds=60";
        testkit::serveSampleGame(server, standin);
        server.setRoute("/varnel/godot_brennick/archive/refs/heads/main.zip",
                        testkit::gameZip(standin), {{"trickle", 256}, {"interval", 20}});
    }
    // Ends the engine (stand-in) if it is still running; answers whether it was.
    static bool endLivingEngine() {
        const QString file = Paths::gameFolder() + "/" + testkit::sampleTop + "/.standin.pid";
        const auto pid = static_cast<pid_t>(testkit::readFile(file).trimmed().toLongLong());
        return pid > 0 && ::kill(pid, SIGKILL) == 0;
    }

    testkit::HttpTestServer server;
};

TEST_F(Processes, KilledOrInterruptedAtAnyMomentItRecoversAndLeavesNoEngineRunning) {
    for (int delayMs : {30, 150, 400, 800, 1300, 2000}) {
        LauncherProcess first(home(), {"setup"});
        QTest::qWait(delayMs);
        first.signal(SIGKILL);
        first.waitForExit(10'000);
        endLivingEngine();
    }
    LauncherProcess setup(home(), {"setup"});
    ASSERT_EQ(setup.waitForExit(120'000), 0) << setup.output();
    EXPECT_EQ(QDir(Paths::engineFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"godot-3.5.3"})
        << "no staging folder is left to grow";
    // Ctrl-C while downloading, setting up, playing; the window's test sends the other signals.
    const std::pair<const char*, int> points[] = {
        {"Step 1 of 4", 130}, {"Running first-time setup", 130}, {"Starting the game:", 0}};
    for (const auto& [waitFor, status] : points) {
        QDir(Paths::supportRoot()).removeRecursively();
        LauncherProcess play(home(), {"play"});
        ASSERT_TRUE(play.waitForOutput(waitFor, 60'000)) << play.output();
        QTest::qWait(300);
        play.signal(SIGINT);
        EXPECT_EQ(play.waitForExit(15'000), status) << waitFor << play.output();
        EXPECT_FALSE(endLivingEngine()) << waitFor;
    }
}

TEST_F(Processes, TheWindowHandsOverToASecondLaunchAndEndsInAnOrderlyWayWhenTold) {
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        LauncherProcess window(home(), {});
        ASSERT_TRUE(window.waitUntilCatching(number)) << window.output();
        if (number == SIGTERM) {
            EXPECT_EQ(LauncherProcess(home(), {}).waitForExit(15'000), 0) << "handed over";
            LauncherProcess busy(home(), {"remove", "--yes"});
            EXPECT_EQ(busy.waitForExit(15'000), 1);
            EXPECT_EQ(busy.output(), QString("Quillfire is already running (process %1). Close it, "
                                             "or wait until it has finished.\n")
                                         .arg(window.pid()));
        }
        window.signal(number);
        EXPECT_EQ(window.waitForExit(15'000), 0) << number << window.output();
    }
}

// A display that has gone, a question with no terminal to ask on, a settings folder that
// cannot be written: each ends the command at once with its reason.
TEST_F(IsolatedTest, CommandsMeetAGoneDisplayNoTerminalAndAnUnwritableSettingsFolder) {
    const struct { const char* name; QString command; std::map<QString, QString> env; } rows[] = {
        {.name = "X gone", .command = "reinstall", .env = {{"DISPLAY", ":77"}}},
        {.name = "Wayland gone", .command = "reinstall", .env = {{"WAYLAND_DISPLAY", "/gone"}}},
        {.name = "no display needed", .command = "remove", .env = {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto env = row.env; // no offscreen platform: as on a desktop
        env.insert({{"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
        LauncherProcess command(home(), {row.command}, env);
        EXPECT_EQ(command.waitForExit(30'000), 2);
        EXPECT_EQ(command.output(),
                  "quillfire " + row.command + " needs --yes when no terminal can ask.\n");
    }
    testkit::writeFile(home(), "blocker", "a file where the settings folder should be");
    LauncherProcess settings(home(), {"settings", "--graphics", "compatibility"},
                             {{"XDG_CONFIG_HOME", home() + "/blocker"}});
    EXPECT_EQ(settings.waitForExit(30'000), 1);
    EXPECT_TRUE(settings.output().startsWith("quillfire settings: could not save to " + home() +
                                             "/blocker/Quillfire/Quillfire.conf; check"));
}

} // namespace
