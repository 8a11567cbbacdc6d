#include "cli/Command.h"
#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// What one in-process `quillfire <args>` printed and returned.
struct CommandRun {
    int code = 0;
    QString out;
    QString err;
};

CommandRun quillfire(const QStringList& args) {
    CommandRun run;
    QTextStream out(&run.out), err(&run.err);
    run.code = dispatch(args, out, err);
    out.flush();
    err.flush();
    return run;
}

using Commands = IsolatedTest;

TEST_F(Commands, UsageMistakesAreStatusTwoAndHelpListsEveryCommand) {
    const QStringList mistakes[] = {{},
                                    {"bogus"},
                                    {"info", "--bogus"},
                                    {"info", "extra"},
                                    {"info", "--game"},
                                    {"settings", "--fullscreen", "--windowed"},
                                    {"settings", "--resolution", "big"},
                                    {"settings", "--graphics", "fancy"}};
    for (const QStringList& args : mistakes) {
        const CommandRun run = quillfire(args);
        EXPECT_EQ(run.code, 2) << args.join(' ');
        EXPECT_TRUE(run.out.isEmpty() && !run.err.isEmpty()) << args.join(' ');
    }
    const CommandRun help = quillfire({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const Command& command : commands())
        EXPECT_TRUE(
            help.out.contains(QString("quillfire %1 %2").arg(command.name, command.synopsis)));
    for (const char* status : {"  0  ", "  1  ", "  2  ", "  130  "})
        EXPECT_TRUE(help.out.contains(status)) << status;
    EXPECT_TRUE(quillfire({"info", "--help"}).out.contains("quillfire info [--json] [--game DIR]"));
    EXPECT_EQ(quillfire({"--version"}).out, QString("quillfire ") + QUILLFIRE_VERSION + "\n");
}

TEST_F(Commands, InfoDescribesTheGameAsJsonOrTextOrSaysThereIsNone) {
    EXPECT_EQ(quillfire({"info"}).code, 1);
    EXPECT_EQ(quillfire({"info"}).err.count('\n'), 1);
    const QString dir = Paths::gameFolder() + "/godot_brennick-main";
    testkit::writeFile(
        dir, "project.godot",
        "config_version=4\n[application]\nconfig/name=\"Brennick\"\n[input]\n"
        "shoot={\n\"events\": [ Object(InputEventMouseButton,\"button_index\":1) ]\n}\n"
        "[layer_names]\n3d_physics/layer_1=\"world\"\n");
    testkit::writeFile(dir, "LICENSE", "MIT License\n\nCopyright (c) 2021 Varnel\n");
    const CommandRun json = quillfire({"info", "--json", "--game", Paths::gameFolder() + "/"});
    ASSERT_EQ(json.code, 0) << json.err;
    const QJsonObject info = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(info["projectDir"].toString(), dir);
    EXPECT_EQ(info["copyrightLine"].toString(), "Copyright (c) 2021 Varnel");
    EXPECT_EQ(info["controls"][0]["keys"].toString(), "Left mouse button");
    EXPECT_EQ(info["savesFolder"].toString(), dataHome() + "/godot/app_userdata/Brennick");
    EXPECT_EQ(info["engine"]["installFolder"].toString(),
              dataHome() + "/Brennick/Engine/godot-3.5.3");
    const QStringList text = quillfire({"info"}).out.split('\n');
    for (const QString& line :
         {QString("Brennick"), QString("Kind             3D"),
          QString("  Shoot  Left mouse button"), "Launcher folder  " + dataHome() + "/Brennick"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.join('\n');
}

TEST_F(Commands, AFailedStepIsStatusOneAnEarlyExitTwoAndRemoveFreesTheDisk) {
    testkit::HttpTestServer server;
    server.useAsHostingService(); // with no game yet
    const CommandRun failed = quillfire({"setup"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.err, "The server answered with HTTP 404.\n");
    testkit::serveSampleGame(server,
                             "game_output='ERROR: is_viable: Error initializing GLAD\\n' game_exit=255");
    const CommandRun early = quillfire({"play"});
    EXPECT_EQ(early.code, 2) << early.err;
    // The game's own lines only, the cause, and the commands that cure it.
    EXPECT_TRUE(early.err.startsWith("The game closed after 0 seconds (exit code 255), so it did "
                                     "not stay open. The graphics driver cannot run"));
    EXPECT_TRUE(early.err.endsWith("Last log lines:\n  ERROR: is_viable: Error initializing GLAD\n"
                                   "Run: quillfire settings --graphics compatibility, then "
                                   "quillfire play\n"))
        << early.err;
    EXPECT_TRUE(testkit::readFile(Paths::lastRunLog()).contains("\nRunning first-time setup: "));
    EXPECT_TRUE(quillfire({"settings", "--graphics", "compatibility"})
                    .out.endsWith("\nGraphics: Compatibility\n"));
    const CommandRun again = quillfire({"play"});
    EXPECT_TRUE(again.err.contains("not even with compatibility graphics")) << again.err;
    EXPECT_FALSE(again.err.contains("Run: "));
    const QString project = Paths::gameFolder() + "/" + testkit::sampleTop;
    EXPECT_TRUE(testkit::standinRuns(project).last().join(' ').endsWith("--video-driver GLES2"));
    // Each Play writes the file anew.
    EXPECT_FALSE(testkit::readFile(Paths::lastRunLog()).contains("Running first-time setup: "));
    EXPECT_EQ(quillfire({"setup"}).code, 0) << "everything is in place";
    EXPECT_EQ(quillfire({"setup", "--again"}).code, 0);
    const QList<QStringList> runs = testkit::standinRuns(project);
    EXPECT_EQ(std::count_if(runs.begin(), runs.end(),
                            [](const QStringList& run) { return run.contains("--editor"); }),
              2);
    const CommandRun removed = quillfire({"remove", "--yes"});
    EXPECT_EQ(removed.code, 0) << removed.err;
    EXPECT_TRUE(removed.out.endsWith("Removed the game and the engine. Saved games are kept.\n"));
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
}

TEST_F(Commands, SettingsAreShownAndChangedForTheNextPlay) {
    EXPECT_EQ(quillfire({"settings"}).out,
              "Window: Windowed\nResolution: Fit to this screen\nGraphics: Standard\n");
    EXPECT_EQ(quillfire({"settings", "--fullscreen", "--resolution", "1600x900"}).out,
              "Window: Fullscreen\nResolution: 1600x900\nGraphics: Standard\n");
    EXPECT_EQ(quillfire({"settings", "--windowed", "--resolution", "fit"}).out,
              "Window: Windowed\nResolution: Fit to this screen\nGraphics: Standard\n");
}

} // namespace
