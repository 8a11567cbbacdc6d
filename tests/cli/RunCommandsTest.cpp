#include "CommandRun.h"

#include "support/InstanceLock.h"
#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using RunCommands = IsolatedTest;

TEST_F(RunCommands, AFailedStepIsStatusOneAndAnEarlyExitStatusTwo) {
    const CommandRun failed = quillfire({"setup"}); // the tests' hosting service is a closed port
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.startsWith("A download failed: Could not connect to 127.0.0.1"))
        << failed.err;

    testkit::HttpTestServer server;
    testkit::serveSampleGame(server, "game_output='ERROR: no GPU\\n' game_exit=3");
    const CommandRun early = quillfire({"play"});
    EXPECT_EQ(early.code, 2) << early.err;
    EXPECT_TRUE(early.err.startsWith("The game closed after 0 seconds (exit code 3), so it did not "
                                     "stay open. Last log lines:\n  "));
    EXPECT_TRUE(early.err.endsWith("\n  ERROR: no GPU\n")) << early.err;
    EXPECT_EQ(quillfire({"setup"}).code, 0) << "everything is in place";
}

TEST_F(RunCommands, RemoveRefusesWhileAnotherLauncherHoldsTheFolders) {
    testkit::writeFile(Paths::gameFolder(), "project.godot", "config_version=4\n");
    {
        InstanceLock window;
        ASSERT_TRUE(window.tryLock());
        const CommandRun refused = quillfire({"remove", "--yes"});
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err, QString("Quillfire is already running (process %1). Close it, or "
                                       "wait until it has finished.\n")
                                   .arg(QCoreApplication::applicationPid()));
        EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder()));
    }
    const CommandRun run = quillfire({"remove", "--yes"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.endsWith("Removed the game and the engine. Saved games are kept.\n"));
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
}

TEST_F(RunCommands, SettingsAreShownAndChangedForTheNextPlay) {
    EXPECT_EQ(quillfire({"settings"}).out, "Window: Windowed\nResolution: Fit to this screen\n");
    EXPECT_EQ(quillfire({"settings", "--fullscreen", "--resolution", "1600x900"}).out,
              "Window: Fullscreen\nResolution: 1600x900\n");
    EXPECT_EQ(quillfire({"settings", "--windowed", "--resolution", "fit"}).out,
              "Window: Windowed\nResolution: Fit to this screen\n");
}

} // namespace
