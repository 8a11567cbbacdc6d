#include "LaunchFixture.h"

#include "app/PlatformWords.h"
#include "patch/HipFireEdits.h"
#include "support/Paths.h"

#include <QDir>
#include <QFileInfo>

using K = Phase::Kind;

class LaunchEndToEnd : public LaunchFixture {};

TEST_F(LaunchEndToEnd, FirstPlayRunsEveryStepThenTheGameAndEndsReady) {
    EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
    ASSERT_TRUE(runToEnd());

    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::Downloading, K::SettingUp, K::Starting,
                                K::Playing, K::Ready}));
    EXPECT_EQ(
        stepTexts,
        (QStringList{
            QStringLiteral("Step 1 of 4 \u00b7 Downloading the game"),
            QStringLiteral("Step 2 of 4 \u00b7 Downloading Godot 3.5.3 (about 70 MB)"),
            QStringLiteral("Step 3 of 4 \u00b7 First-time setup, this can take a minute or more"),
            QString()}));
    const QStringList log = model().log().lines();
    EXPECT_TRUE(log.contains(
        QStringLiteral("Applied hip-fire change (gun fires when not aiming, less accurate).")));
    EXPECT_TRUE(log.contains(QStringLiteral("Checksum OK")));
    EXPECT_EQ(log.last(), QStringLiteral("Game closed normally."));
    EXPECT_EQ(gameArgumentLists(),
              QStringList{
                  QStringLiteral("--path %1 --windowed --resolution 1634x918").arg(projectDir())});
    ASSERT_TRUE(model().info().has_value());
    EXPECT_EQ(model().info()->projectName, QStringLiteral("Brennick"));
    EXPECT_FALSE(model().failure().has_value());
    EXPECT_FALSE(model().isWorking());
}

TEST_F(LaunchEndToEnd, SecondPlayGoesStraightToTheGameAndStillPatches) {
    ASSERT_TRUE(runToEnd());
    const int requests = server.requestLog().size();
    // A game update may have brought the unpatched script back.
    testkit::writeFile(projectDir(), QLatin1String(GamePatch::HipFire::playerScript),
                       QByteArray(GamePatch::HipFire::playerEdits[0].anchor.data()) + "\n");
    phases.clear();
    stepTexts.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(phases, (QList<K>{K::Starting, K::Playing, K::Ready}));
    EXPECT_EQ(server.requestLog().size(), requests) << "nothing is downloaded again";
    EXPECT_TRUE(model().log().lines().contains(
        QStringLiteral("Hip-fire change skipped: the game's player script looks different from "
                       "what was expected.")));
}

TEST_F(LaunchEndToEnd, PlayPressedTwiceStartsOneRun) {
    model().start(false, true);
    ASSERT_TRUE(runToEnd()) << "the second start is ignored and waits for the first run";
    EXPECT_EQ(requestsFor(QStringLiteral("main.zip")), 1);
    EXPECT_EQ(gameArgumentLists().size(), 1);
}

TEST_F(LaunchEndToEnd, UpdateDownloadsTheGameAgainWithoutStartingIt) {
    ASSERT_TRUE(runToEnd(false, false));
    EXPECT_EQ(model().phase().kind(), K::Ready);
    EXPECT_TRUE(gameArgumentLists().isEmpty());
    phases.clear();
    ASSERT_TRUE(runToEnd(true, false));
    EXPECT_EQ(requestsFor(QStringLiteral("main.zip")), 2);
    EXPECT_EQ(requestsFor(QStringLiteral(".zip")), 3) << "the engine is not downloaded again";
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::SettingUp, K::Ready}))
        << "a fresh game folder drops the import marker, so the import runs again";
    EXPECT_TRUE(gameArgumentLists().isEmpty());
}

TEST_F(LaunchEndToEnd, ACSharpGameIsRefusedAfterItsDetailsAndThePatch) {
    server.serveGameArchive(gameZip({}, QStringLiteral("\"3.5\", \"C#\"")));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().phase(), Phase::needs(PlatformWords::csharpRefusal()));
    ASSERT_TRUE(model().info().has_value());
    EXPECT_TRUE(model().info()->usesCSharp);
    EXPECT_EQ(requestsFor(QStringLiteral("godotengine")), 0);
    EXPECT_TRUE(model().log().lines().contains(
        QStringLiteral("Applied hip-fire change (gun fires when not aiming, less accurate).")));
}

TEST_F(LaunchEndToEnd, FailedStepsEndInNeedsWithTheirSentence) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString needs;
    };
    const Case cases[] = {
        {"server error",
         [this] {
             server.setBody(QStringLiteral("/varnel/godot_brennick/archive/refs/heads/main.zip"),
                            "no", 500);
         },
         QStringLiteral("The server answered with HTTP 500.")},
        {"checksum mismatch",
         [this] {
             server.setBody(QUrl(gameEngine().checksumUrl()).path(),
                            QByteArray(128, 'a') + "  " + gameEngine().assetName().toUtf8() + "\n");
         },
         QStringLiteral("The Godot download does not match its published checksum, so it was "
                        "thrown away. Try again.")},
        {"import incomplete",
         [this] {
             server.serveGameArchive(
                 gameZip(QStringLiteral("editor-stay = false\nimport-missing = 1\n")));
         },
         QStringLiteral("First-time setup did not finish importing the game's files (1 still "
                        "missing, Godot exit code 0).")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(model().phase(), Phase::needs(c.needs));
        EXPECT_EQ(model().log().lines().last(), QStringLiteral("Problem: ") + c.needs);
        QDir(Paths::supportRoot()).removeRecursively();
        resetMirror();
    }
}

TEST_F(LaunchEndToEnd, ANetworkFailureAsksToCheckTheConnection) {
    testkit::HttpRoute dropped;
    dropped.body = QByteArray(100'000, 'z');
    dropped.dropAfter = 1000;
    server.setRoute(QStringLiteral("/varnel/godot_brennick/archive/refs/heads/main.zip"), dropped);
    ASSERT_TRUE(runToEnd());
    const QString needs = model().phase().text();
    EXPECT_TRUE(needs.startsWith(QStringLiteral("A download failed: "))) << needs.toStdString();
    EXPECT_TRUE(
        needs.endsWith(QStringLiteral(" Check your internet connection and press Play again.")));
}
