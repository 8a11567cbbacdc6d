// `quillfire play` with a real Godot 3 (Debian's godot3 as the official Linux asset) under a
// virtual X server, on a driver that offers only OpenGL 2.1: the cause, its cure, then the game.
#include "LauncherProcess.h"

#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/TestEnvironment.h"

#include <QFileInfo>

namespace {

const QString godot3 = "/usr/bin/godot3", xvfb = "/usr/bin/Xvfb";

class RealEngine : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        if (!QFileInfo(godot3).isExecutable() || !QFileInfo(xvfb).isExecutable())
            GTEST_SKIP() << "needs Debian's godot3 and xvfb packages (scripts/test installs them)";
        ASSERT_FALSE(screen.display().isEmpty()) << "Xvfb did not start";
        server.useAsHostingService();
        server.serveEngine(testkit::sampleEngine(), testkit::engineZip(godot3));
        // The demo game, asking for the standard renderer, GLES3, instead of its GLES2.
        server.serveGameArchive(
            testkit::folderZip(QUILLFIRE_DEMO_GAME, "quality/driver/driver_name=\"GLES2\"", ""));
    }

    VirtualScreen screen;
    testkit::HttpTestServer server;
};

// The engine's own alert dialog would wait for a click: without xmessage it only prints.
TEST_F(RealEngine, AnOldGraphicsDriverIsNamedAndCompatibilityGraphicsRunTheGameUntilCtrlC) {
    const std::map<QString, QString> oldDriver{
        {"DISPLAY", screen.display()}, {"MESA_GL_VERSION_OVERRIDE", "2.1"},
        {"MESA_GLSL_VERSION_OVERRIDE", "120"}, {"PATH", scratch() + "/no-programs"}};
    LauncherProcess failing(home(), {"play"}, oldDriver);
    EXPECT_EQ(failing.waitForExit(180'000), 2) << failing.output();
    EXPECT_TRUE(failing.output().contains(
        "Running first-time setup: Godot_v3.5.3-stable_x11.64 --editor --path "));
    EXPECT_TRUE(failing.output().contains("The graphics driver cannot run the game's renderer"))
        << failing.output();
    EXPECT_TRUE(failing.output().contains(
        "\nRun: quillfire settings --graphics compatibility, then quillfire play\n"));

    LauncherProcess compatible(home(), {"settings", "--graphics", "compatibility"});
    EXPECT_EQ(compatible.waitForExit(30'000), 0);
    LauncherProcess playing(home(), {"play"}, oldDriver);
    ASSERT_TRUE(playing.waitForOutput("Playing.", 60'000)) << playing.output();
    EXPECT_TRUE(playing.output().contains("OpenGL ES 2.0 Renderer")) << playing.output();
    playing.signal(SIGINT);
    EXPECT_EQ(playing.waitForExit(30'000), 0) << playing.output();
    EXPECT_TRUE(playing.output().contains("Game stopped.")) << playing.output();
    // What the real editor writes is no damage.
    LauncherProcess repair(home(), {"repair"});
    EXPECT_EQ(repair.waitForExit(60'000), 0) << repair.output();
    EXPECT_TRUE(repair.output().contains("The game's files are as installed.")) << repair.output();
}

} // namespace
