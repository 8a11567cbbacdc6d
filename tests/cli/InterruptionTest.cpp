// The launcher killed or interrupted at any moment of a first Play: the next
// Play still ends with a working game, and an orderly quit leaves no engine behind.
#include "LauncherProcess.h"

#include "engine/EngineSpec.h"
#include "patch/HipFireEdits.h"
#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QTest>

#include <csignal>

namespace {

QByteArray gameZip() {
    const QString top = QStringLiteral("godot_brennick-main/");
    return ziptest::zip({
        ziptest::Entry::folder(top),
        ziptest::Entry::file(top + QStringLiteral("project.godot"),
                             "config_version=4\nconfig/name=\"Brennick\"\n"),
        ziptest::Entry::file(top + QStringLiteral(".standin.ini"),
                             "editor-spread = 0.5\nimport-sidecars = 3\ngame-seconds = 60\n"),
    });
}

QByteArray engineZip(const EngineSpec& spec) {
    return ziptest::zip(
        {ziptest::Entry::file(spec.assetName().chopped(4),
                              testkit::readFile(QStringLiteral(STANDIN_GODOT)), 0755)},
        ziptest::Compression::Store);
}

// Engines (stand-ins) still alive that were started for any project below `root`.
QList<qint64> livingEngines(const QString& root) {
    QList<qint64> alive;
    QDirIterator it(root, {QStringLiteral(".standin.pid")}, QDir::Files | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const qint64 pid = testkit::readFile(it.next()).trimmed().toLongLong();
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0)
            alive << pid;
    }
    return alive;
}

} // namespace

class Interruption : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        server.useAsHostingService();
        testkit::HttpRoute slowGame;
        slowGame.body = gameZip();
        slowGame.trickleBytes = 4096;
        slowGame.trickleInterval = std::chrono::milliseconds(20);
        server.setRoute(QStringLiteral("/varnel/godot_brennick/archive/refs/heads/main.zip"),
                        slowGame);
        server.serveEngine(spec, engineZip(spec));
    }

    void killLeftoverEngines() {
        for (qint64 pid : livingEngines(dataHome()))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    const EngineSpec spec{3, QStringLiteral("3.5.3"), false};
    testkit::HttpTestServer server;
};

TEST_F(Interruption, KilledAtAnyMomentTheNextPlayStillWorks) {
    for (int delayMs : {30, 150, 400, 800, 1300, 2000, 3000}) {
        SCOPED_TRACE(delayMs);
        {
            LauncherProcess first(dataHome(), scratch() + QStringLiteral("/config"),
                                  {QStringLiteral("setup")});
            QTest::qWait(delayMs);
            first.signal(SIGKILL);
            first.waitForExit(10'000);
        }
        killLeftoverEngines();
    }
    LauncherProcess setup(dataHome(), scratch() + QStringLiteral("/config"),
                          {QStringLiteral("setup")});
    ASSERT_EQ(setup.waitForExit(120'000), 0) << setup.output().toStdString();
    EXPECT_FALSE(QDir(Paths::gameStagingFolder()).exists());
    const QStringList engineEntries =
        QDir(Paths::engineFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_EQ(engineEntries, QStringList{spec.installFolderName()})
        << "no staging folder is left to grow";

    LauncherProcess play(dataHome(), scratch() + QStringLiteral("/config"),
                         {QStringLiteral("play")});
    ASSERT_TRUE(play.waitForOutput(QStringLiteral("Starting the game:"), 30'000))
        << play.output().toStdString();
    EXPECT_FALSE(play.output().contains(QStringLiteral("Step "))) << "everything was in place";
}

TEST_F(Interruption, CtrlCAtAnyMomentLeavesNoEngineRunning) {
    struct Point {
        const char* waitFor;
        int signal;
        int expectedExit;
    };
    // Downloading, setting up, playing; a closed terminal or a kill is handled like Ctrl-C.
    const Point points[] = {{"Step 1 of 4", SIGINT, 130},
                            {"Running first-time setup", SIGINT, 130},
                            {"Starting the game:", SIGINT, 0},
                            {"Starting the game:", SIGHUP, 0},
                            {"Running first-time setup", SIGTERM, 130}};
    for (const Point& point : points) {
        SCOPED_TRACE(std::string(point.waitFor) + " / signal " + std::to_string(point.signal));
        QDir(Paths::supportRoot()).removeRecursively();
        LauncherProcess play(dataHome(), scratch() + QStringLiteral("/config"),
                             {QStringLiteral("play")});
        ASSERT_TRUE(play.waitForOutput(QString::fromLatin1(point.waitFor), 60'000))
            << play.output().toStdString();
        QTest::qWait(300);
        play.signal(point.signal);
        EXPECT_EQ(play.waitForExit(15'000), point.expectedExit) << play.output().toStdString();
        EXPECT_TRUE(livingEngines(dataHome()).isEmpty());
        killLeftoverEngines();
    }
}

TEST_F(Interruption, TheWindowEndsInAnOrderlyWayWhenTold) {
    for (const int number : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(number);
        LauncherProcess window(dataHome(), scratch() + QStringLiteral("/config"), {});
        ASSERT_TRUE(window.waitUntilCatching(number, 30'000)) << window.output().toStdString();
        window.signal(number);
        EXPECT_EQ(window.waitForExit(15'000), 0) << window.output().toStdString();
    }
}
