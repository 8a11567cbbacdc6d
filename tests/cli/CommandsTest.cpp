#include "app/SaveBackups.h"
#include "cli/Command.h"
#include "support/InstanceLock.h"
#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct CommandRun {
    int code = 0;
    QString out, err;
};

CommandRun quillfire(const QString& arguments) {
    CommandRun run;
    QTextStream out(&run.out), err(&run.err); // written through at once
    run.code = dispatch(arguments.split(' ', Qt::SkipEmptyParts), out, err);
    return run;
}

using Commands = IsolatedTest;

TEST_F(Commands, UsageMistakesAreStatusTwoHelpAndInfoAreZero) {
    for (const char* mistake : {"", "bogus", "info --bogus", "info extra", "info --game",
                                "settings --fullscreen --windowed", "settings --resolution big",
                                "settings --graphics fancy"}) {
        const CommandRun run = quillfire(mistake);
        EXPECT_EQ(run.code, 2) << mistake;
        EXPECT_TRUE(run.out.isEmpty() && !run.err.isEmpty()) << mistake;
    }
    const CommandRun help = quillfire("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("\n  quillfire remove [--yes]\n")) << help.out;
    EXPECT_TRUE(quillfire("info --help").out.contains("quillfire info [--json] [--game DIR]"));
    EXPECT_EQ(quillfire("--version").out, QString("quillfire ") + QUILLFIRE_VERSION + "\n");
    const QString dir = scratch() + "/godot_brennick-main";
    testkit::writeFile(
        dir, "project.godot",
        "config_version=4\n[application]\nconfig/name=\"Brennick\"\n[input]\nshoot={\n"
        "\"events\": [ Object(InputEventMouseButton,\"button_index\":1) ]\n}\n");
    EXPECT_EQ(quillfire("info").code, 1) << "none is installed";
    const CommandRun json = quillfire("info --json --game " + scratch() + "/");
    const QJsonObject info = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(info["projectDir"].toString(), dir) << json.err;
    EXPECT_TRUE(info["installed"].isNull()) << "not what the launcher fetched";
    EXPECT_EQ(info["controls"][0]["keys"].toString(), "Left mouse button");
    EXPECT_EQ(info["savesFolder"].toString(), dataHome() + "/godot/app_userdata/Brennick");
    EXPECT_EQ(info["engine"]["installFolder"].toString(),
              dataHome() + "/Brennick/Engine/godot-3.5.3");
    const QString text = quillfire("info --game " + dir).out;
    EXPECT_TRUE(text.startsWith("Brennick\n") && text.contains("\n  Shoot  Left mouse button\n"))
        << text;
}

TEST_F(Commands, AFailedStepIsStatusOneAnEarlyExitTwoWithItsCureAndRemoveFreesTheDisk) {
    testkit::HttpTestServer server;
    server.useAsHostingService(); // with no game yet
    const CommandRun failed = quillfire("setup");
    EXPECT_EQ(failed.code, 1);
    const QString wholeLog = "The whole log: " + Paths::lastRunLog() + "\n";
    EXPECT_EQ(failed.err, "The server answered with HTTP 404.\n" + wholeLog);
    testkit::serveSampleGame(
        server, "game_output='ERROR: is_viable: Error initializing GLAD\\n' game_exit=255");
    const CommandRun early = quillfire("play");
    EXPECT_EQ(early.code, 2) << early.err;
    EXPECT_TRUE(early.err.startsWith("The game closed after 0 seconds (exit code 255), so it did "
                                     "not stay open. The graphics driver cannot run"));
    EXPECT_TRUE(early.err.endsWith("Last log lines:\n  ERROR: is_viable: Error initializing GLAD\n"
                                   "Run: quillfire settings --graphics compatibility, then "
                                   "quillfire play\n" + wholeLog)) << early.err;
    EXPECT_EQ(quillfire("settings --graphics compatibility --fullscreen --resolution 1600x900").out,
              "Window: Fullscreen\nResolution: 1600x900\nGraphics: Compatibility\n");
    const QString again = quillfire("play").err; // no cure is left to offer
    EXPECT_TRUE(again.contains("not even with compatibility graphics")) << again;
    EXPECT_FALSE(again.contains("Run: "));
    testkit::behave(Paths::gameFolder() + "/" + testkit::sampleTop,
                    "game_output='SCRIPT ERROR: Parse Error\\n' game_exit=1");
    EXPECT_TRUE(quillfire("play").err.contains(
        "may fix it. Last log lines:\n  SCRIPT ERROR: Parse Error\nRun: quillfire update\n"));
    // The settings stay for the next play; each run writes the file anew.
    const QString lastRun = testkit::readFile(Paths::lastRunLog());
    EXPECT_TRUE(lastRun.contains(" --fullscreen --resolution 1600x900 --video-driver GLES2\n") &&
                !lastRun.contains("first-time")) << lastRun;
    EXPECT_EQ(quillfire("setup --again").code, 0);
    server.setRoute("/repos/varnel/godot_brennick/commits/main", QByteArray(40, 'f'));
    qputenv("QUILLFIRE_API_URL", server.baseUrl().toUtf8());
    EXPECT_TRUE(quillfire("info").out.contains("\nInstalled        commit 1a2b3c4, downloaded "
                                               "just now\nNewer version    available: "
                                               "quillfire update\n"));
    EXPECT_TRUE(QJsonDocument::fromJson(quillfire("info --json").out.toUtf8())["updateAvailable"]
                    .toBool());
    EXPECT_TRUE(testkit::readFile(Paths::lastRunLog()).contains("Running first-time setup: "));
    EXPECT_TRUE(quillfire("remove --yes")
                    .out.endsWith("Removed the game and the engine. Saved games are kept.\n"));
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
    EXPECT_EQ(quillfire("settings --windowed --resolution fit").out,
              "Window: Windowed\nResolution: Fit to this screen\nGraphics: Compatibility\n");
    EXPECT_TRUE(quillfire("settings --graphics standard").out.endsWith("Graphics: Standard\n"));
}

TEST_F(Commands, SavesListsTheBackupsNewestFirstAndRestoresOneWhileNoOtherLauncherRuns) {
    EXPECT_TRUE(quillfire("saves").out.startsWith("No backups of saved games yet."));
    const QString saves = Paths::savesFolder("Brennick");
    for (const char* content : {"older", "newer"}) {
        testkit::writeFile(saves, "save.dat", content);
        ASSERT_TRUE(SaveBackups::backUp(std::nullopt));
    }
    const QString listed = quillfire("saves").out;
    const QString newest = SaveBackups::label(SaveBackups::list()[0]);
    EXPECT_TRUE(listed.contains("\n  1  " + newest + "\n  2  ")) << listed;
    for (const char* mistake : {"saves --restore", "saves --restore x", "saves --restore 0"})
        EXPECT_EQ(quillfire(mistake).code, 2) << mistake;
    EXPECT_EQ(quillfire("saves --restore 3").code, 1);
    {
        InstanceLock window;
        ASSERT_TRUE(window.tryLock());
        const CommandRun refused = quillfire("saves --restore 2");
        EXPECT_EQ(refused.code, 1);
        EXPECT_TRUE(refused.err.startsWith("Quillfire is already running")) << refused.err;
    }
    const CommandRun restored = quillfire("saves --restore 2");
    EXPECT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(testkit::readFile(saves + "/save.dat"), "older");
    EXPECT_EQ(SaveBackups::list().size(), 3) << "the saves it replaced are backed up";
}

} // namespace
