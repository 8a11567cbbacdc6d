#include "LaunchFixture.h"

#include "app/PlatformWords.h"
#include "patch/HipFireEdits.h"

using K = Phase::Kind;

namespace {

using LaunchEndToEnd = LaunchFixture;

const QString patched = "Applied hip-fire change (gun fires when not aiming, less accurate).";

TEST_F(LaunchEndToEnd, FirstPlayRunsEveryStepOnceThenTheGameAndEndsReady) {
    EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
    model().start(false, true);
    ASSERT_TRUE(runToEnd()) << "a second Play while the run goes on is ignored";

    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::Downloading, K::SettingUp, K::Starting,
                                K::Playing, K::Ready}));
    EXPECT_EQ(
        stepTexts,
        (QStringList{"Step 1 of 4 \u00b7 Downloading the game",
                     "Step 2 of 4 \u00b7 Downloading Godot 3.5.3 (about 70 MB)",
                     "Step 3 of 4 \u00b7 First-time setup, this can take a minute or more", ""}));
    const QStringList log = model().log().lines();
    EXPECT_TRUE(log.contains(patched));
    EXPECT_TRUE(log.contains("Checksum OK"));
    EXPECT_EQ(log.last(), "Game closed normally.");
    EXPECT_EQ(requestsFor("main.zip"), 1);
    EXPECT_EQ(gameRuns(),
              QStringList{"--path " + projectDir() + " --windowed --resolution 1634x918"});
    ASSERT_TRUE(model().info().has_value());
    EXPECT_EQ(model().info()->projectName, "Brennick");
    EXPECT_FALSE(model().failure().has_value());
    EXPECT_FALSE(model().isWorking());
}

TEST_F(LaunchEndToEnd, SecondPlayGoesStraightToTheGameWithTheOptionsAndStillPatches) {
    ASSERT_TRUE(runToEnd());
    const int requests = int(server.requestLog().size());
    // A game update may have brought the unpatched script back.
    testkit::writeFile(projectDir(), QLatin1String(GamePatch::HipFire::playerScript), "changed\n");
    model().setFullscreen(true);
    phases.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(phases, (QList<K>{K::Starting, K::Playing, K::Ready}));
    EXPECT_EQ(server.requestLog().size(), requests) << "nothing is downloaded again";
    EXPECT_EQ(gameRuns().last(), "--path " + projectDir() + " --fullscreen");
    EXPECT_TRUE(model().log().lines().contains(
        "Hip-fire change skipped: the game's player script looks different from what was "
        "expected."));
}

TEST_F(LaunchEndToEnd, UpdateDownloadsTheGameAgainWithoutStartingIt) {
    ASSERT_TRUE(runToEnd(false, false));
    EXPECT_EQ(model().phase().kind(), K::Ready);
    phases.clear();
    ASSERT_TRUE(runToEnd(true, false));
    EXPECT_EQ(requestsFor("main.zip"), 2);
    EXPECT_EQ(requestsFor(".zip"), 3) << "the engine is not downloaded again";
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::SettingUp, K::Ready}))
        << "a fresh game folder drops the import marker, so the import runs again";
    EXPECT_TRUE(gameRuns().isEmpty());
}

TEST_F(LaunchEndToEnd, ACSharpGameIsRefusedAfterItsDetailsAndThePatch) {
    server.serveGameArchive(testkit::gameZip({}, "\"3.5\", \"C#\""));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().phase(), Phase::needs(PlatformWords::csharpRefusal()));
    ASSERT_TRUE(model().info().has_value());
    EXPECT_EQ(requestsFor("godotengine"), 0);
    EXPECT_TRUE(model().log().lines().contains(patched));
}

TEST_F(LaunchEndToEnd, FailedStepsEndInNeedsWithTheirSentence) {
    const QString game = "/varnel/godot_brennick/archive/refs/heads/main.zip";
    const std::tuple<const char*, std::function<void()>, QString> cases[] = {
        {"server error", [&] { server.setBody(game, "no", 500); },
         "The server answered with HTTP 500."},
        {"checksum mismatch",
         [&] {
             server.setBody(QUrl(testkit::sampleEngine().checksumUrl()).path(),
                            QByteArray(128, 'a') + "  " +
                                testkit::sampleEngine().assetName().toUtf8() + "\n");
         },
         "The Godot download does not match its published checksum, so it was thrown away. Try "
         "again."},
        {"import incomplete",
         [&] { server.serveGameArchive(testkit::gameZip("editor_stay=false import_missing=1")); },
         "First-time setup did not finish importing the game's files (1 still missing, Godot "
         "exit code 0)."},
        {"connection dropped",
         [&] {
             testkit::HttpRoute dropped;
             dropped.body = QByteArray(100'000, 'z');
             dropped.dropAfter = 1000;
             server.setRoute(game, dropped);
         },
         "A download failed: The server 127.0.0.1 closed the connection before the download was "
         "complete. Check your internet connection and press Play again."},
    };
    for (const auto& [what, arrange, needs] : cases) {
        SCOPED_TRACE(what);
        startOver();
        arrange();
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(model().phase(), Phase::needs(needs));
        EXPECT_TRUE(model().log().lines().last().startsWith("Problem: "));
        EXPECT_TRUE(needs.contains(model().log().lines().last().mid(9)));
    }
}

} // namespace
