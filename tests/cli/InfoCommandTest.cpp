#include "CommandRun.h"

#include "project/GodotProjectText.h"
#include "support/Platform.h"
#include "testkit/TestEnvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

QJsonObject jsonOf(const CommandRun& run) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return document.object();
}

QList<std::pair<QString, QString>> controlsOf(const QJsonObject& info) {
    QList<std::pair<QString, QString>> rows;
    for (const QJsonValue& row : info["controls"].toArray())
        rows.append({row["action"].toString(), row["keys"].toString()});
    return rows;
}

// A Godot 3 game as its repository archive unpacks: one top folder.
QString writeGodot3Game(const QString& root) {
    const QString dir = root + "/godot_brennick-main";
    testkit::writeFile(
        dir, "project.godot",
        ("; Engine configuration file.\n; It's best edited using the editor UI and not directly,\n"
         "config_version=4\n\n_global_script_classes=[  ]\n\n[application]\n\n"
         "config/name=\"Brennick\"\nrun/main_scene=\"res://src/main/Main.tscn\"\n"
         "config/icon=\"res://icon.png\"\n\n[input]\n\n" +
         godot3::action("move_forward", {godot3::key(87), godot3::key(16777232)}) +
         godot3::action("player_shoot", {godot3::mouseButton(1), godot3::joypadMotion(5)}) +
         godot3::action("ui_cancel", {godot3::key(16777217)}) +
         "\n[layer_names]\n\n3d_physics/layer_1=\"world\"\n\n[rendering]\n\n"
         "environment/default_environment=\"res://default_env.tres\"\n")
            .toUtf8());
    testkit::writeFile(dir, "README.md",
                       "# Brennick\n\n![screenshot](shot.png)\n\nA time-trial shooting game.\n");
    testkit::writeFile(dir, "LICENSE", "MIT License\n\nCopyright (c) 2021 Varnel\n");
    testkit::writeFile(
        dir, "src/main/Main.tscn",
        "[gd_scene load_steps=2 format=2]\n\n[node name=\"Main\" type=\"Spatial\"]\n");
    return dir;
}

class InfoCommandTest : public IsolatedTest {
protected:
    QString gameRoot() const { return scratch() + "/download"; }
};

} // namespace

TEST_F(InfoCommandTest, JsonDescribesAGodot3Game) {
    const QString projectDir = writeGodot3Game(gameRoot());
    const CommandRun run = quillfire({"info", "--json", "--game", gameRoot()});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    const QJsonObject info = jsonOf(run);
    EXPECT_EQ(info["projectDir"].toString(), projectDir);
    EXPECT_EQ(info["projectName"].toString(), "Brennick");
    EXPECT_EQ(info["configVersion"].toInteger(), 4);
    EXPECT_EQ(info["engineMajor"].toInteger(), 3);
    EXPECT_EQ(info["engineVersion"].toString(), "3.5.3");
    EXPECT_FALSE(info["usesCSharp"].toBool(true));
    EXPECT_TRUE(info["is3D"].toBool());
    EXPECT_EQ(info["mainScene"].toString(), "res://src/main/Main.tscn");
    EXPECT_EQ(info["summary"].toString(), "A time-trial shooting game.");
    EXPECT_EQ(info["licenseName"].toString(), "MIT License");
    EXPECT_EQ(info["copyrightLine"].toString(), "Copyright (c) 2021 Varnel");
    const QList<std::pair<QString, QString>> controls{
        {"Move forward", "W / Up"}, {"Shoot", "Left mouse button / Gamepad trigger"}};
    EXPECT_EQ(controlsOf(info), controls);
    EXPECT_EQ(info["supportRoot"].toString(), dataHome() + "/Brennick");
    EXPECT_EQ(info["savesFolder"].toString(), dataHome() + "/godot/app_userdata/Brennick");

    const QJsonObject engine = info["engine"].toObject();
    EXPECT_EQ(engine["installFolder"].toString(), dataHome() + "/Brennick/Engine/godot-3.5.3");
    EXPECT_EQ(
        engine["checksumUrl"].toString(),
        "http://127.0.0.1:9/godotengine/godot/releases/download/3.5.3-stable/SHA512-SUMS.txt");
    if (hostPlatform() == Platform::LinuxArm64) {
        EXPECT_EQ(engine["assetName"].toString(), "");
        EXPECT_FALSE(engine["unsupportedReason"].toString().isEmpty());
    } else if (hostPlatform() == Platform::LinuxX86_64) {
        EXPECT_EQ(engine["assetName"].toString(), "Godot_v3.5.3-stable_x11.64.zip");
        EXPECT_EQ(engine["archiveUrl"].toString(),
                  "http://127.0.0.1:9/godotengine/godot/releases/download/3.5.3-stable/"
                  "Godot_v3.5.3-stable_x11.64.zip");
        EXPECT_FALSE(engine.contains("unsupportedReason"));
    }
}

TEST_F(InfoCommandTest, TextSummaryOfTheInstalledGame) {
    writeGodot3Game(dataHome() + "/Brennick/Game");
    const CommandRun run = quillfire({"info"});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "Brennick");
    EXPECT_EQ(lines[1], "A time-trial shooting game.");
    for (const QString& expected :
         {QString("Kind             3D"), QString("Engine           Godot 3.5.3"),
          QString("Licence          MIT License"),
          QString("Copyright        Copyright (c) 2021 Varnel"), QString("  Move forward  W / Up"),
          QString("  Shoot         Left mouse button / Gamepad trigger"),
          QString("Engine folder    " + dataHome() + "/Brennick/Engine/godot-3.5.3"),
          QString("Launcher folder  " + dataHome() + "/Brennick"),
          QString("Saved games      " + dataHome() + "/godot/app_userdata/Brennick")})
        EXPECT_TRUE(lines.contains(expected)) << expected.toStdString() << "\n"
                                              << run.out.toStdString();
}

TEST_F(InfoCommandTest, NoGameIsAFailureWithOneLineOnStandardError) {
    for (const QStringList& args :
         {QStringList{"info"}, QStringList{"info", "--json", "--game", scratch() + "/nothing"}}) {
        const CommandRun run = quillfire(args);
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    }
}
