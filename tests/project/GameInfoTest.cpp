#include "project/GameInfoReader.h"

#include "project/GodotProjectText.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

using ProjectInspector::inspect;

namespace {

class GameInfoTest : public IsolatedTest {
protected:
    // A fresh project folder for each case of a table, holding `files` (name, text).
    QString project(const QList<std::pair<QString, QByteArray>>& files) {
        const QString dir = scratch() + QString("/case%1/My Game").arg(++cases_);
        QDir().mkpath(dir);
        for (const auto& [name, text] : files)
            testkit::writeFile(dir, name, text);
        return dir;
    }
    QString projectWith(const QString& text) { return project({{"project.godot", text.toUtf8()}}); }

private:
    int cases_ = 0;
};

} // namespace

TEST_F(GameInfoTest, ReadsAGodot4Project) {
    const QString dir = project({
        {"project.godot",
         ("config_version=5\n\n[application]\n\nconfig/name=\"Brennick\"\n"
          "run/main_scene=\" res://scenes/main.tscn\"\n"
          "config/features=PackedStringArray(\"4.2\", \"Forward Plus\")\n\n[input]\n\n" +
          godot4::action("player_move_forward", {godot4::key(0, 87), godot4::key(0, 4194320)}) +
          "\n[layer_names]\n\n3d_physics/layer_1=\"world\"\n")
             .toUtf8()},
        {"README.md", "# Brennick\n[![build](badge.svg)](ci)\n\nA time-trial shooter.\nPress J.\n"},
        {"LICENSE", "MIT License\n\nCopyright (c) 2023 Varnel\n"},
    });
    const GameInfo info = inspect(dir);
    EXPECT_EQ(info.projectDir, dir);
    EXPECT_EQ(info.projectName, "Brennick");
    EXPECT_EQ(info.configVersion, 5);
    EXPECT_EQ(info.engineMajor, 4);
    EXPECT_EQ(info.engineVersion, "4.2.2");
    EXPECT_FALSE(info.usesCSharp);
    EXPECT_TRUE(info.is3D);
    EXPECT_EQ(info.mainScene, "res://scenes/main.tscn");
    EXPECT_EQ(info.summary, "A time-trial shooter.");
    EXPECT_EQ(info.licenseName, "MIT License");
    EXPECT_EQ(info.copyrightLine, "Copyright (c) 2023 Varnel");
    ASSERT_EQ(info.controls.size(), 1);
    EXPECT_EQ(info.controls.first().keys, "W / Up");
}

TEST_F(GameInfoTest, ConfigVersionNameAndCSharpFallBackSafely) {
    const std::tuple<QString, qint64, qint64, QString> versions[] = {
        {"config_version=5\n", 5, 4, "4.1.4"},
        {"config_version=+6\n", 6, 4, "4.1.4"},
        {"config_version=4\n", 4, 3, "3.5.3"},
        {"config_version=-5\n", -5, 3, "3.5.3"},
        {"config_version=\"5\"\n", 4, 3, "3.5.3"},
        {"config_version=5.0\n", 4, 3, "3.5.3"},
        {"config_version=99999999999999999999\n", 4, 3, "3.5.3"},
        {"", 4, 3, "3.5.3"},
    };
    for (const auto& [line, configVersion, major, release] : versions) {
        const GameInfo info = inspect(projectWith(line + "config/features=\"4.1\"\n"));
        EXPECT_EQ(info.configVersion, configVersion) << line.toStdString();
        EXPECT_EQ(info.engineMajor, major) << line.toStdString();
        EXPECT_EQ(info.engineVersion, release) << line.toStdString();
    }
    const std::pair<QString, QString> names[] = {
        {"config/name=\" Brennick \"\n", "Brennick"},
        {"config/name=\"Say \"hi\"\"\n", "Say \"hi"},
        {"config/name=\"\"\n", "My Game"},
        {"", "My Game"},
    };
    for (const auto& [line, name] : names)
        EXPECT_EQ(inspect(projectWith(line)).projectName, name) << line.toStdString();
    const std::pair<QString, bool> csharp[] = {
        {"project.godot", false}, {"Brennick.sln", true}, {"Brennick.csproj", true},
        {".hidden.sln", true},    {"Player.cs", false},   {"sub/Brennick.sln", false},
    };
    for (const auto& [file, uses] : csharp)
        EXPECT_EQ(inspect(project({{"project.godot", ""}, {file, "x"}})).usesCSharp, uses) << file;
    EXPECT_TRUE(
        inspect(projectWith("config/features=PackedStringArray(\"4.2\", \"C#\")\n")).usesCSharp);
}

TEST_F(GameInfoTest, DimensionFromLayerNamesThenTheMainScene) {
    const QString main = "run/main_scene=\"res://scenes/main.tscn\"\n";
    const QByteArray spatial = "[node name=\"Main\" type=\"Spatial\"]\n";
    const std::tuple<const char*, QString, QByteArray, bool> cases[] = {
        {"3D layer wins over 2D", "2d_physics/layer_1=\"a\"\n3d_render/layer_1=\"b\"\n", "", true},
        {"2D layer beats a 3D scene", "2d_render/layer_1=\"a\"\n" + main, spatial, false},
        {"Godot 3 spatial root", main, spatial, true},
        {"Godot 4 3D root", main, "[node name=\"Main\" type=\"Node3D\"]\n", true},
        {"2D root", main, "[node name=\"Main\" type=\"Node2D\"]\n", false},
        {"unquoted type name", main, "Node3D\n", false},
    };
    for (const auto& [what, text, scene, is3D] : cases)
        EXPECT_EQ(
            inspect(project({{"project.godot", text.toUtf8()}, {"scenes/main.tscn", scene}})).is3D,
            is3D)
            << what;
}

TEST_F(GameInfoTest, LicenceNameAndCopyrightLine) {
    const std::tuple<QString, QByteArray, QString, QString> cases[] = {
        {"LICENSE", "MIT License\n\nCopyright (c) 2021 Varnel\nCopyright 2022 Other\n",
         "MIT License", "Copyright (c) 2021 Varnel"},
        {"COPYING", "  GNU GPL\t\n  COPYRIGHT (C) 2007 FSF  \n", "GNU GPL",
         "COPYRIGHT (C) 2007 FSF"},
        {"MIT_LICENSE.txt", "Zlib licence\nno holder named\n", "Zlib licence", ""},
        {"LICENSE.md", "\r\nMIT\r\nCopyright 2020 A\r\n", "MIT", "Copyright 2020 A"},
        {"LICENSE", "\n\n\n", "See LICENSE", ""},
        {"LICENSE", "\xFF\xFE not UTF-8", "No licence file found in the repository", ""},
    };
    for (const auto& [file, text, name, copyright] : cases) {
        const GameInfo info = inspect(project({{file, text}}));
        EXPECT_EQ(info.licenseName, name) << text.toStdString();
        EXPECT_EQ(info.copyrightLine, copyright) << text.toStdString();
    }
}

TEST_F(GameInfoTest, SummaryIsTheFirstLineOfProseOfTheFirstReadme) {
    const std::pair<QByteArray, QString> cases[] = {
        {"# Title\n[![badge](b.svg)](l)\n![shot](s.png)\n---\n\n  A fast shooter.  \nMore.\n",
         "A fast shooter."},
        {"# Only\n## Headings\n", ""},
        {"\t \n\tSecond line\n", "Second line"},
    };
    for (const auto& [readme, summary] : cases)
        EXPECT_EQ(inspect(project({{"README.md", readme}})).summary, summary);
    EXPECT_EQ(inspect(project({{"readme.md", "Last\n"}, {"README", "Third\n"}})).summary, "Third");
}
