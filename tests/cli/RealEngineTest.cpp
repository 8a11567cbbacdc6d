// `quillfire play` with a real Godot 3 (Debian's godot3 as the official Linux asset) under a
// virtual X server, on a driver that offers only OpenGL 2.1: the cause, its cure, then the game.
#include "LauncherProcess.h"

#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDir>
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
        serveGame();
        const EngineSpec spec = testkit::sampleEngine();
        const auto program =
            ziptest::Entry::file(spec.assetName().chopped(4), testkit::readFile(godot3), 0755);
        server.serveEngine(spec, ziptest::zip({program}, ziptest::Compression::Store));
    }
    // The demo game, asking for the standard renderer, GLES3, instead of its GLES2.
    void serveGame() {
        QList<ziptest::Entry> entries{ziptest::Entry::folder(testkit::sampleTop + "/")};
        const QByteArray gles2 = "quality/driver/driver_name=\"GLES2\"";
        for (const QFileInfo& file : QDir(QUILLFIRE_DEMO_GAME).entryInfoList(QDir::Files))
            entries << ziptest::Entry::file(testkit::sampleTop + "/" + file.fileName(),
                                            testkit::readFile(file.filePath()).replace(gles2, ""));
        server.serveGameArchive(ziptest::zip(entries));
    }

    VirtualScreen screen;
    const QString& display = screen.display();
    testkit::HttpTestServer server;
};

// The engine's own alert dialog would wait for a click: without xmessage it only prints.
TEST_F(RealEngine, AnOldGraphicsDriverIsNamedAndCompatibilityGraphicsRunTheGameUntilCtrlC) {
    const std::map<QString, QString> oldDriver{
        {"DISPLAY", display}, {"MESA_GL_VERSION_OVERRIDE", "2.1"},
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
}

} // namespace
