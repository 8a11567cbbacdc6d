// `quillfire play` with a real Godot 4 (Debian testing's, from scripts/lib/godot4.sh, as the
// official Linux asset) under a virtual X server, on software OpenGL with no Vulkan driver.
#include "LauncherProcess.h"

#include "engine/EngineSpec.h"
#include "project/ProjectFile.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"

#include <QDir>
#include <QFileInfo>

namespace {

class RealGodot4 : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        ASSERT_TRUE(QFileInfo(QUILLFIRE_GODOT4).isExecutable())
            << "No Godot 4 at " QUILLFIRE_GODOT4 ": install it with scripts/lib/godot4.sh";
        QProcess version;
        version.start(QUILLFIRE_GODOT4, {"--version"});
        ASSERT_TRUE(version.waitForFinished(30'000));
        const QString minor = QString::fromLatin1(version.readAll()).section('.', 0, 1);
        ASSERT_TRUE(minor.startsWith("4.")) << minor;
        ASSERT_FALSE(screen.display().isEmpty()) << "Xvfb did not start";

        server.useAsHostingService();
        const QByteArray feature = '"' + minor.toLatin1() + '"';
        server.serveGameArchive(testkit::folderZip(QUILLFIRE_GODOT4_GAME, "\"4.x\"", feature));
        // The release the launcher picks for the game's features, played by the Debian engine.
        const EngineSpec spec{4, ProjectInspector::engineVersion(4, feature), false};
        server.serveEngine(spec, testkit::engineZip(QUILLFIRE_GODOT4, spec));
    }

    VirtualScreen screen;
    testkit::HttpTestServer server;
};

// Forward+ wants Vulkan, which this machine lacks: the engine's own switch to OpenGL is no failure.
TEST_F(RealGodot4, FirstPlayImportsAndTheWindowedForwardPlusGameRunsUntilCtrlCThenSetsUpAgain) {
    LauncherProcess settings(home(), {"settings", "--windowed", "--resolution", "640x480"});
    ASSERT_EQ(settings.waitForExit(30'000), 0) << settings.output();
    LauncherProcess playing(home(), {"play"}, {{"DISPLAY", screen.display()}});
    ASSERT_TRUE(playing.waitForOutput("Brennick: 640x480 windowed", 240'000)) << playing.output();
    const QString imported =
        dataHome() + "/Brennick/Game/" + testkit::sampleTop + "/.godot/imported";
    const auto copies = [&] { return QDir(imported).entryList({"icon*.ctex", "beep*.sample"}); };
    EXPECT_EQ(copies().size(), 2);
    EXPECT_TRUE(playing.output().contains("switching to OpenGL 3.")) << playing.output();
    ASSERT_TRUE(playing.waitForOutput("Playing.", 60'000)) << playing.output();
    playing.signal(SIGINT);
    EXPECT_EQ(playing.waitForExit(30'000), 0) << playing.output();
    EXPECT_TRUE(playing.output().contains("Game stopped.")) << playing.output();

    // Only the engine makes the imported copies anew.
    ASSERT_TRUE(QDir(imported).removeRecursively());
    LauncherProcess again(home(), {"setup", "--again"});
    EXPECT_EQ(again.waitForExit(120'000), 0) << again.output();
    EXPECT_EQ(copies().size(), 2) << again.output();
    // What the real import writes is no damage.
    LauncherProcess repair(home(), {"repair"});
    EXPECT_EQ(repair.waitForExit(60'000), 0) << repair.output();
    EXPECT_TRUE(repair.output().contains("The game's files are as installed.")) << repair.output();
}

// Without xmessage on PATH the engine's alert box only prints instead of waiting for a click.
TEST_F(RealGodot4, ADriverWithoutOpenGL3IsNamedAndCompatibilityGraphicsRunOnAWorkingOne) {
    const std::map<QString, QString> noGL3{{"DISPLAY", screen.display()},
                                           {"MESA_GL_VERSION_OVERRIDE", "2.1"},
                                           {"MESA_GLSL_VERSION_OVERRIDE", "120"},
                                           {"MESA_GLES_VERSION_OVERRIDE", "2.0"},
                                           {"PATH", scratch() + "/no-programs"}};
    LauncherProcess failing(home(), {"play"}, noGL3);
    EXPECT_EQ(failing.waitForExit(240'000), 2) << failing.output();
    EXPECT_TRUE(failing.output().contains("The graphics driver cannot run the game's renderer"))
        << failing.output();
    EXPECT_FALSE(failing.output().contains("found no screen"));
    EXPECT_FALSE(failing.output().contains("Reinstall"));
    EXPECT_TRUE(failing.output().contains(
        "\nRun: quillfire settings --graphics compatibility, then quillfire play\n"));

    LauncherProcess compatible(home(), {"settings", "--graphics", "compatibility"});
    EXPECT_EQ(compatible.waitForExit(30'000), 0);
    LauncherProcess still(home(), {"play"}, noGL3);
    EXPECT_EQ(still.waitForExit(60'000), 2) << still.output();
    EXPECT_TRUE(still.output().contains("not even with compatibility graphics")) << still.output();
    EXPECT_FALSE(still.output().contains("Run:")) << still.output();

    // Told to use OpenGL, the engine never tries Vulkan, and its banner names the renderer.
    LauncherProcess playing(home(), {"play"}, {{"DISPLAY", screen.display()}});
    ASSERT_TRUE(playing.waitForOutput("Brennick: ", 60'000)) << playing.output();
    EXPECT_TRUE(playing.output().contains(
        QRegularExpression("\nOpenGL API [^\n]+ - Compatibility - Using Device: ")))
        << playing.output();
    EXPECT_FALSE(playing.output().contains("Vulkan")) << playing.output();
}

} // namespace
