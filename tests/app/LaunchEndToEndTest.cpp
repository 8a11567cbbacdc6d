#include "LaunchFixture.h"

#include "app/PlatformWords.h"

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
        steps,
        (QStringList{"Step 1 of 4 \u00b7 Downloading the game",
                     "Step 2 of 4 \u00b7 Downloading Godot 3.5.3 (about 70 MB)",
                     "Step 3 of 4 \u00b7 First-time setup, this can take a minute or more", "",
                     ""}));
    const QStringList log = model().log().lines();
    EXPECT_TRUE(log.contains(patched));
    EXPECT_EQ(log.last(), "Game closed normally.");
    EXPECT_EQ(requestsFor("main.zip"), 1);
    EXPECT_EQ(gameRuns(), QStringList{"--path " + project() + " --windowed --resolution 1634x918"});
    EXPECT_EQ(model().info()->projectName, "Brennick");
    EXPECT_FALSE(model().failure().has_value());
    EXPECT_FALSE(model().isWorking());

    // Then: straight to the game with the options of this press, patched again, nothing downloaded.
    testkit::writeFile(project(), "src/actor/player/player.gd", "changed\n");
    model().setFullscreen(true);
    phases.clear();
    const qsizetype requests = server.requestLog().size();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(phases, (QList<K>{K::Starting, K::Playing, K::Ready}));
    EXPECT_EQ(server.requestLog().size(), requests);
    EXPECT_EQ(gameRuns().last(), "--path " + project() + " --fullscreen");
    EXPECT_TRUE(model().log().lines().contains("Hip-fire change skipped: the game's player script "
                                               "looks different from what was expected."));
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
    EXPECT_EQ(model().stepText(), "") << "the last step is over";
    EXPECT_TRUE(gameRuns().isEmpty());
}

TEST_F(LaunchEndToEnd, FailedStepsEndInNeedsWithTheirSentence) {
    const QString game = "/varnel/godot_brennick/archive/refs/heads/main.zip";
    const QString sums = QUrl(testkit::sampleEngine().checksumUrl()).path();
    const std::tuple<std::function<void()>, QString> cases[] = {
        {[&] {
             server.setRoute(game, "no", {{"status", 500}});
         },
         "The server answered with HTTP 500."},
        {[&] {
             server.setRoute(game, QByteArray(100'000, 'z'), {{"drop_after", 1000}});
         },
         "A download failed: The server 127.0.0.1 closed the connection before the download was "
         "complete. Check your internet connection and press Play again."},
        {[&] {
             server.setRoute(sums, QByteArray(128, 'a') + "  Godot_v3.5.3-stable_x11.64.zip\n");
         },
         "The Godot download does not match its published checksum, so it was thrown away. Try "
         "again."},
        {[&] { server.serveGameArchive(testkit::gameZip("editor_stay=false import_missing=1")); },
         "First-time setup did not finish importing the game's files (1 still missing, Godot exit "
         "code 0)."},
        {[&] { server.serveGameArchive(testkit::gameZip({}, "\"3.5\", \"C#\"")); },
         PlatformWords::csharpRefusal()},
    };
    for (const auto& [arrange, needs] : cases) {
        startOver();
        arrange();
        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(model().phase().text(), needs);
        EXPECT_TRUE(needs.contains(model().log().lines().last().mid(9))) << needs;
    }
    EXPECT_TRUE(model().log().lines().contains(
        "The server answered with HTTP 500. Trying again in 1 s (2 of 4)."));
    EXPECT_TRUE(details.contains("Connection lost \u00b7 trying again in 1 s (4 of 4)"));
    EXPECT_TRUE(model().info()->usesCSharp) << "the refusal comes after the game's details";
    EXPECT_TRUE(model().log().lines().contains(patched)) << "and after the patch";
    EXPECT_EQ(server.requestLog().last(), game) << "and no engine was asked for";
}

} // namespace
