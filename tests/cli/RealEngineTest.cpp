// Drives `quillfire play` through a real Godot 3 engine (Debian's godot3, served as the official
// Linux asset) under a virtual X server: download, checksum, import watch and launch, then
// Ctrl-C stops the game; and on a driver that offers only OpenGL 2.1, the cause and its cure.
#include "LauncherProcess.h"

#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDirIterator>
#include <QFileInfo>

#include <csignal>

namespace {

const QString godot3 = "/usr/bin/godot3";
const QString xvfb = "/usr/bin/Xvfb";

QByteArray zipFolder(const QString& folder, const QString& top) {
    QList<ziptest::Entry> entries{ziptest::Entry::folder(top + "/")};
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << ziptest::Entry::file(top + "/" + QDir(folder).relativeFilePath(path),
                                        testkit::readFile(path));
    }
    return ziptest::zip(entries);
}

// A virtual X server on a free display, for as long as the object lives.
class VirtualDisplay {
public:
    VirtualDisplay() {
        server_.start(xvfb, {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        if (server_.waitForReadyRead(20'000))
            display_ = ":" + QString::fromLatin1(server_.readLine().trimmed());
    }
    ~VirtualDisplay() {
        server_.terminate();
        server_.waitForFinished(5000);
    }
    const QString& display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

class RealEngine : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        if (!QFileInfo(godot3).isExecutable() || !QFileInfo(xvfb).isExecutable())
            GTEST_SKIP() << "needs Debian's godot3 and xvfb packages (scripts/test installs them)";
        ASSERT_FALSE(display.display().isEmpty()) << "Xvfb did not start";
        server.useAsHostingService();
        serveGame(QUILLFIRE_DEMO_GAME);
        const EngineSpec spec = testkit::sampleEngine();
        server.serveEngine(spec,
                           ziptest::zip({ziptest::Entry::file(spec.assetName().chopped(4),
                                                              testkit::readFile(godot3), 0755)},
                                        ziptest::Compression::Store));
    }
    void serveGame(const QString& folder) {
        server.serveGameArchive(zipFolder(folder, testkit::sampleTop));
    }
    LauncherProcess quillfire(const QStringList& args, std::map<QString, QString> env = {}) {
        env["DISPLAY"] = display.display();
        return LauncherProcess(home(), args, env);
    }
    LauncherProcess play() { return quillfire({"play"}); }

    VirtualDisplay display;
    testkit::HttpTestServer server;
};

TEST_F(RealEngine, PlayDownloadsImportsAndRunsTheGameUntilCtrlC) {
    LauncherProcess launcher = play();
    ASSERT_TRUE(launcher.waitForOutput("Playing.", 180'000)) << launcher.output();
    EXPECT_TRUE(launcher.output().contains("Checksum OK"));
    EXPECT_TRUE(launcher.output().contains(
        "Running first-time setup: Godot_v3.5.3-stable_x11.64 --editor --path "));
    EXPECT_TRUE(launcher.output().contains("OpenGL ES")) << "the real engine printed its renderer";
    launcher.signal(SIGINT);
    EXPECT_EQ(launcher.waitForExit(30'000), 0) << launcher.output();
    EXPECT_TRUE(launcher.output().contains("Game stopped.")) << launcher.output();
}

// The engine's own alert dialog would wait for a click: without xmessage it only prints.
TEST_F(RealEngine, AnOldGraphicsDriverIsNamedAndCompatibilityGraphicsRunTheGame) {
    const QString game = scratch() + "/gles3-game";
    QDir().mkpath(game);
    for (const QFileInfo& file : QDir(QUILLFIRE_DEMO_GAME).entryInfoList(QDir::Files))
        QFile::copy(file.filePath(), game + "/" + file.fileName());
    QByteArray project = testkit::readFile(game + "/project.godot");
    QFile::remove(game + "/project.godot");
    testkit::writeFile(game, "project.godot",
                       project.replace("quality/driver/driver_name=\"GLES2\"", ""));
    serveGame(game); // the standard renderer: GLES3
    QDir().mkpath(scratch() + "/no-programs");
    const std::map<QString, QString> oldDriver{{"MESA_GL_VERSION_OVERRIDE", "2.1"},
                                               {"MESA_GLSL_VERSION_OVERRIDE", "120"},
                                               {"PATH", scratch() + "/no-programs"}};

    LauncherProcess failing = quillfire({"play"}, oldDriver);
    EXPECT_EQ(failing.waitForExit(180'000), 2) << failing.output();
    EXPECT_TRUE(failing.output().contains("The graphics driver cannot run the game's renderer"))
        << failing.output();
    EXPECT_FALSE(failing.output().contains("Reinstall")) << failing.output();
    EXPECT_TRUE(failing.output().contains(
        "\nRun: quillfire settings --graphics compatibility, then quillfire play\n"));

    EXPECT_EQ(quillfire({"settings", "--graphics", "compatibility"}).waitForExit(30'000), 0);
    LauncherProcess playing = quillfire({"play"}, oldDriver);
    ASSERT_TRUE(playing.waitForOutput("Playing.", 60'000)) << playing.output();
    EXPECT_TRUE(playing.output().contains("OpenGL ES 2.0 Renderer")) << playing.output();
    playing.signal(SIGINT);
    EXPECT_EQ(playing.waitForExit(30'000), 0) << playing.output();
}

} // namespace
