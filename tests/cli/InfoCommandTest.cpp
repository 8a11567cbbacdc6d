#include "CommandRun.h"

#include "project/GodotProjectText.h"
#include "testkit/TestEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// A Godot 3 game as its repository archive unpacks: one top folder.
QString writeGodot3Game(const QString& root) {
    const QString dir = root + "/godot_brennick-main";
    testkit::writeFile(dir, "project.godot",
                       ("config_version=4\n\n[application]\n\nconfig/name=\"Brennick\"\n"
                        "run/main_scene=\"res://src/main/Main.tscn\"\n\n[input]\n\n" +
                        godot3::action("move_forward", {godot3::key(87), godot3::key(16777232)}) +
                        godot3::action("player_shoot", {godot3::mouseButton(1)}) +
                        godot3::action("ui_cancel", {godot3::key(16777217)}) +
                        "\n[layer_names]\n\n3d_physics/layer_1=\"world\"\n")
                           .toUtf8());
    testkit::writeFile(dir, "README.md", "# Brennick\n\nA time-trial shooting game.\n");
    testkit::writeFile(dir, "LICENSE", "MIT License\n\nCopyright (c) 2021 Varnel\n");
    return dir;
}

using InfoCommandTest = IsolatedTest;

TEST_F(InfoCommandTest, JsonDescribesTheGameItsEngineAndFolders) {
    const QString projectDir = writeGodot3Game(scratch() + "/download");
    const CommandRun run = quillfire({"info", "--json", "--game", scratch() + "/download/"});
    ASSERT_EQ(run.code, 0) << run.err;
    const QJsonObject info = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ(info["projectDir"].toString(), projectDir);
    EXPECT_EQ(info["projectName"].toString(), "Brennick");
    EXPECT_EQ(info["engineVersion"].toString(), "3.5.3");
    EXPECT_TRUE(info["is3D"].toBool());
    EXPECT_EQ(info["summary"].toString(), "A time-trial shooting game.");
    EXPECT_EQ(info["copyrightLine"].toString(), "Copyright (c) 2021 Varnel");
    EXPECT_EQ(info["controls"].toArray().size(), 2);
    EXPECT_EQ(info["controls"][1]["keys"].toString(), "Left mouse button");
    EXPECT_EQ(info["savesFolder"].toString(), dataHome() + "/godot/app_userdata/Brennick");
    const QJsonObject engine = info["engine"].toObject();
    EXPECT_EQ(engine["installFolder"].toString(), dataHome() + "/Brennick/Engine/godot-3.5.3");
    EXPECT_EQ(
        engine["checksumUrl"].toString(),
        "http://127.0.0.1:9/godotengine/godot/releases/download/3.5.3-stable/SHA512-SUMS.txt");
}

TEST_F(InfoCommandTest, TextSummaryOfTheInstalledGameOrOneLineWithoutIt) {
    const CommandRun none = quillfire({"info"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err.count('\n'), 1) << none.err;
    writeGodot3Game(dataHome() + "/Brennick/Game");
    const CommandRun run = quillfire({"info"});
    ASSERT_EQ(run.code, 0) << run.err;
    const QStringList lines = run.out.split('\n');
    EXPECT_EQ(lines.mid(0, 2), (QStringList{"Brennick", "A time-trial shooting game."}));
    for (const QString& expected :
         {QString("Kind             3D"), QString("Licence          MIT License"),
          QString("  Move forward  W / Up"), QString("  Shoot         Left mouse button"),
          "Launcher folder  " + dataHome() + "/Brennick"})
        EXPECT_TRUE(lines.contains(expected)) << expected << "\n" << run.out;
}

} // namespace
