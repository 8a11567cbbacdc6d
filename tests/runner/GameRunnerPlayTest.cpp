#include "runner/GameRunner.h"

#include "ProcessProbe.h"
#include "StandinTest.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;

namespace {

struct ArgumentsCase {
    const char* name;
    RunOptions options;
    QStringList after; // what follows "--path" and the project
};

class GameArguments : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(GameArguments, NameTheWindowModeAndOnlyAChosenSize) {
    LogStore log;
    const QString project = "/home/me/Brennick Game";
    EXPECT_EQ(GameRunner(log).arguments(project, GetParam().options),
              QStringList({"--path", project}) + GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Options, GameArguments,
    ::testing::Values(ArgumentsCase{"Windowed", {false, ""}, {"--windowed"}},
                      ArgumentsCase{"Fullscreen", {true, ""}, {"--fullscreen"}},
                      ArgumentsCase{"WindowedWithSize",
                                    {false, "1920x1080"},
                                    {"--windowed", "--resolution", "1920x1080"}},
                      ArgumentsCase{"FullscreenWithSize",
                                    {true, "2560x1440"},
                                    {"--fullscreen", "--resolution", "2560x1440"}}),
    [](const auto& info) { return std::string(info.param.name); });

class PlayTest : public StandinTest {
protected:
    RunOutcome play(GameRunner& runner, RunOptions options = {}) {
        const RunOutcome outcome = runner.play(engine(), project(), options);
        EXPECT_EQ(runner.job(), nullptr);
        return outcome;
    }
};

TEST_F(PlayTest, LogsTheCommandAndEveryLineThenReportsTheStatus) {
    behave("game-output = Godot Engine v3.5.3\\nFailed loading resource: res://a.png\\n\n"
           "game-errors = ERROR: OpenGL ES 3.0 is not supported\\n\n"
           "game-exit = 1");
    GameRunner runner(log);
    const RunOutcome outcome = play(runner, {false, "1280x720"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_LT(outcome.seconds, 10);
    EXPECT_EQ(logLines(),
              (QStringList{
                  "Starting the game: --path " + project() + " --windowed --resolution 1280x720",
                  "Godot Engine v3.5.3",
                  "Failed loading resource: res://a.png",
                  "ERROR: OpenGL ES 3.0 is not supported",
              }));
    const QStringList passed{"--path", project(), "--windowed", "--resolution", "1280x720"};
    EXPECT_EQ(recordedArguments(), QList<QStringList>{passed});
}

TEST_F(PlayTest, MeasuresHowLongTheGameStayedUp) {
    behave("game-seconds = 0.5");
    GameRunner runner(log);
    const RunOutcome outcome = play(runner);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_GE(outcome.seconds, 0.5);
    EXPECT_LT(outcome.seconds, 20);
}

TEST_F(PlayTest, ACrashReadsAsTheSignalNeverAsSuccess) {
    for (const auto& [crash, status] : {std::pair{"segv", 11}, std::pair{"abrt", 6}}) {
        behave(QByteArray("game-crash = ") + crash);
        GameRunner runner(log);
        EXPECT_EQ(play(runner).exitCode, status) << crash;
    }
}

TEST_F(PlayTest, StopThroughTheJobEndsTheGameAndKeepsItsLastWords) {
    behave("game-output = ready\\n\ngame-tail = last words\ngame-seconds = 60");
    GameRunner runner(log);
    std::optional<bool> runningSeen;
    std::thread stopper([&] {
        enginePid();
        const auto job = runner.job();
        runningSeen = job && job->isRunning();
        if (job)
            job->stop();
    });
    const RunOutcome outcome = play(runner, {true, ""});
    stopper.join();
    EXPECT_EQ(runningSeen, true);
    EXPECT_EQ(outcome.exitCode, 15);
    EXPECT_LT(outcome.seconds, 30);
    EXPECT_EQ(logLines().mid(1), (QStringList{"ready", "last words"}));
}

// Godot 3's error dialog outlives the engine and holds its output open.
TEST_F(PlayTest, EndsWhenTheGameDiesEvenIfSomethingItStartedHoldsTheOutput) {
    behave("game-output = OpenGL ES 3.0 Renderer not available\\n\ngame-grandchild = 60\n"
           "game-exit = 255");
    GameRunner runner(log);
    const RunOutcome outcome = play(runner);
    EXPECT_EQ(outcome.exitCode, 255);
    EXPECT_LT(outcome.seconds, 30);
    EXPECT_EQ(logLines().value(1), "OpenGL ES 3.0 Renderer not available");
    ::kill(probe::waitForPid(project() + "/.standin-grandchild.pid"), SIGKILL);
}

TEST_F(PlayTest, AnEngineThatCannotStartThrows) {
    GameRunner runner(log);
    EXPECT_THROW(runner.play("/nonexistent/godot", project(), {}), ProcessLaunchError);
    EXPECT_EQ(runner.job(), nullptr);
}

} // namespace
