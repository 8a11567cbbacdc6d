#include "runner/GameRunner.h"

#include "StandinTest.h"

#include <thread>

namespace {

using PlayTest = StandinTest;

TEST(GameArguments, NameTheWindowModeAndOnlyAChosenSize) {
    LogStore log;
    const std::pair<RunOptions, QStringList> cases[] = {
        {{false, ""}, {"--windowed"}},
        {{true, ""}, {"--fullscreen"}},
        {{false, "1920x1080"}, {"--windowed", "--resolution", "1920x1080"}},
    };
    for (const auto& [options, after] : cases)
        EXPECT_EQ(GameRunner(log).arguments("/My Game", options),
                  QStringList({"--path", "/My Game"}) + after);
}

TEST_F(PlayTest, LogsTheCommandAndEveryLineThenReportsStatusAndDuration) {
    behave("game_output='Godot Engine v3.5.3\\nFailed loading resource: res://a.png\\n'\n"
           "game_errors='ERROR: OpenGL ES 3.0 is not supported\\n'\n"
           "game_seconds=0.5\ngame_exit=1\n");
    GameRunner runner(log);
    const RunOutcome outcome =
        runner.play(testkit::standinEngine(), project(), {false, "1280x720"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_GE(outcome.seconds, 0.5);
    EXPECT_LT(outcome.seconds, 10);
    EXPECT_EQ(runner.job(), nullptr);
    EXPECT_EQ(
        logLines(),
        (QStringList{"Starting the game: --path " + project() + " --windowed --resolution 1280x720",
                     "Godot Engine v3.5.3", "Failed loading resource: res://a.png",
                     "ERROR: OpenGL ES 3.0 is not supported"}));
    const QStringList passed{"--path", project(), "--windowed", "--resolution", "1280x720"};
    EXPECT_EQ(testkit::standinRuns(project()), QList<QStringList>{passed});
    EXPECT_THROW(runner.play("/nonexistent/godot", project(), {}), ProcessLaunchError);
    EXPECT_EQ(runner.job(), nullptr);
}

TEST_F(PlayTest, StopThroughTheJobEndsTheGameAndKeepsItsLastWords) {
    behave("game_output='ready\\n'\ngame_tail='last words'\ngame_seconds=60\n");
    GameRunner runner(log);
    std::optional<bool> runningSeen;
    std::thread stopper([&] {
        testkit::standinPid(project());
        const auto job = runner.job();
        runningSeen = job && job->isRunning();
        if (job)
            job->stop();
    });
    const RunOutcome outcome = runner.play(testkit::standinEngine(), project(), {true, ""});
    stopper.join();
    EXPECT_EQ(runningSeen, true);
    EXPECT_EQ(outcome.exitCode, 15);
    EXPECT_EQ(logLines().mid(1), (QStringList{"ready", "last words"}));
}

// Godot 3's error dialog outlives the engine and holds its output open.
TEST_F(PlayTest, EndsWhenTheGameDiesEvenIfSomethingItStartedHoldsTheOutput) {
    behave("game_output='OpenGL ES 3.0 Renderer not available\\n'\ngame_grandchild=60\n"
           "game_crash=SEGV\n");
    const RunOutcome outcome = GameRunner(log).play(testkit::standinEngine(), project(), {});
    EXPECT_EQ(outcome.exitCode, 11);
    EXPECT_LT(outcome.seconds, 30);
    EXPECT_EQ(logLines().value(1), "OpenGL ES 3.0 Renderer not available");
    const pid_t holder = testkit::waitForPid(project() + "/.standin-grandchild.pid");
    EXPECT_TRUE(testkit::isAlive(holder)) << "left alone: it is the user's dialog";
    ::kill(holder, SIGKILL);
}

} // namespace
