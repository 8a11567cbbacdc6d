// Drives `quillfire play` through a real Godot 3 engine (Debian's godot3, served
// as the official Linux asset) under a virtual X server: download, checksum,
// import watch and launch, then Ctrl-C stops the game.
#include "engine/EngineSpec.h"
#include "testkit/HttpTestServer.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

const QString godot3 = QStringLiteral("/usr/bin/godot3");
const QString xvfb = QStringLiteral("/usr/bin/Xvfb");

QByteArray zipFolder(const QString& folder, const QString& top) {
    QList<ziptest::Entry> entries{ziptest::Entry::folder(top)};
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries << ziptest::Entry::file(top + QDir(folder).relativeFilePath(path),
                                        testkit::readFile(path));
    }
    return ziptest::zip(entries);
}

// A virtual X server on a free display, for as long as the object lives.
class VirtualDisplay {
public:
    VirtualDisplay() {
        server_.start(xvfb,
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1280x800x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (server_.waitForReadyRead(20'000))
            display_ = QLatin1Char(':') + QString::fromLatin1(server_.readLine().trimmed());
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

} // namespace

class RealEngine : public IsolatedTest {};

TEST_F(RealEngine, PlayDownloadsImportsAndRunsTheGameUntilCtrlC) {
    if (!QFileInfo(godot3).isExecutable() || !QFileInfo(xvfb).isExecutable())
        GTEST_SKIP() << "needs Debian's godot3 and xvfb packages (scripts/test installs them)";
    VirtualDisplay display;
    ASSERT_FALSE(display.display().isEmpty()) << "Xvfb did not start";

    testkit::HttpTestServer server;
    server.useAsHostingService();
    server.serveGameArchive(
        zipFolder(QStringLiteral(QUILLFIRE_DEMO_GAME), QStringLiteral("godot_brennick-main/")));
    const EngineSpec spec{3, QStringLiteral("3.5.3"), false};
    server.serveEngine(spec, ziptest::zip({ziptest::Entry::file(spec.assetName().chopped(4),
                                                                testkit::readFile(godot3), 0755)},
                                          ziptest::Compression::Store));

    QProcess launcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display.display());
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch() + QStringLiteral("/config"));
    launcher.setProcessEnvironment(env);
    launcher.setProcessChannelMode(QProcess::MergedChannels);
    QString output;
    QObject::connect(&launcher, &QProcess::readyRead,
                     [&] { output += QString::fromUtf8(launcher.readAll()); });
    launcher.start(QStringLiteral(QUILLFIRE_BINARY), {QStringLiteral("play")});
    ASSERT_TRUE(launcher.waitForStarted());

    const bool playing = QTest::qWaitFor(
        [&] {
            return output.contains(QStringLiteral("Playing.")) ||
                   launcher.state() == QProcess::NotRunning;
        },
        180'000);
    ASSERT_TRUE(playing && launcher.state() == QProcess::Running) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Checksum OK")));
    EXPECT_TRUE(output.contains(
        QStringLiteral("Running first-time setup: Godot_v3.5.3-stable_x11.64 --editor --path ")));
    EXPECT_TRUE(output.contains(QStringLiteral("Starting the game: --path ")));
    EXPECT_TRUE(output.contains(QStringLiteral("OpenGL ES")) ||
                output.contains(QStringLiteral("GLES")))
        << "the real engine printed its renderer";

    ::kill(static_cast<pid_t>(launcher.processId()), SIGINT);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launcher.state() == QProcess::NotRunning; }, 30'000));
    EXPECT_EQ(launcher.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Game stopped."))) << output.toStdString();
}
