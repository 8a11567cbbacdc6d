#include "project/GameInfoReader.h"
#include "project/ProjectFile.h"

#include "testkit/TestEnvironment.h"

#include <QDir>

using namespace ProjectInspector;

namespace {

class ProjectTest : public IsolatedTest {
protected:
    // A fresh project folder holding `files` (name, text).
    QString project(const QList<std::pair<QString, QByteArray>>& files) {
        const QString dir = scratch() + QString("/case%1/My Game").arg(++cases_);
        QDir().mkpath(dir);
        for (const auto& [name, text] : files)
            testkit::writeFile(dir, name, text);
        return dir;
    }
    GameInfo with(const QString& projectText) {
        return inspect(project({{"project.godot", projectText.toUtf8()}}));
    }

private:
    int cases_ = 0;
};

TEST_F(ProjectTest, ReadsAGodot4Project) {
    const QString dir = project({
        {"project.godot",
         "config_version=5\n[application]\nconfig/name=\"Brennick\"\n"
         "run/main_scene=\" res://main.tscn\"\nconfig/features=PackedStringArray(\"4.2\", "
         "\"Forward Plus\")\n[input]\nplayer_move_forward={\n\"events\": [Object(InputEventKey,"
         "\"keycode\":0,\"physical_keycode\":87)]\n}\n[layer_names]\n3d_physics/layer_1=\"a\"\n"},
        {"README.md", "# Brennick\n[![build](badge.svg)](ci)\n\nA time-trial shooter.\nMore.\n"},
        {"LICENSE", "MIT License\n\nCopyright (c) 2023 Varnel\n"},
    });
    const GameInfo info = inspect(dir);
    EXPECT_EQ(info.projectDir, dir);
    EXPECT_EQ(info.projectName, "Brennick");
    EXPECT_EQ(info.engineMajor, 4);
    EXPECT_EQ(info.engineVersion, "4.2.2");
    EXPECT_FALSE(info.usesCSharp);
    EXPECT_TRUE(info.is3D);
    EXPECT_EQ(info.mainScene, "res://main.tscn");
    EXPECT_EQ(info.summary, "A time-trial shooter.");
    EXPECT_EQ(info.licenseName, "MIT License");
    EXPECT_EQ(info.copyrightLine, "Copyright (c) 2023 Varnel");
    ASSERT_EQ(info.controls.size(), 1);
    EXPECT_EQ(info.controls.first().keys, "W");
}

TEST_F(ProjectTest, VersionNameAndCSharpFallBackSafely) {
    const std::tuple<QString, qint64, QString> versions[] = {
        {"config_version=5\n", 4, "4.1.4"},   {"config_version=+6\n", 4, "4.1.4"},
        {"config_version=4\n", 3, "3.5.3"},   {"config_version=\"5\"\n", 3, "3.5.3"},
        {"config_version=5.0\n", 3, "3.5.3"}, {"config_version=99999999999999999999\n", 3, "3.5.3"},
    };
    for (const auto& [line, major, release] : versions) {
        const GameInfo info = with(line + "config/features=\"4.1\"\n");
        EXPECT_EQ(info.engineMajor, major) << line;
        EXPECT_EQ(info.engineVersion, release) << line;
    }
    EXPECT_EQ(with("config/name=\"Say \"hi\"\"\n").projectName, "Say \"hi");
    EXPECT_EQ(inspect(project({{"project.godot", "config/name=\"\"\n"}}) + "/").projectName, "My Game");
    EXPECT_TRUE(with("config/features=PackedStringArray(\"4.2\", \"C#\")\n").usesCSharp);
    const std::pair<QString, bool> csharp[] = {{"Brennick.sln", true},
                                               {".hidden.csproj", true},
                                               {"Player.cs", false},
                                               {"sub/B.sln", false}};
    for (const auto& [file, uses] : csharp)
        EXPECT_EQ(inspect(project({{file, "x"}})).usesCSharp, uses) << file;
}

TEST_F(ProjectTest, DimensionFromLayerNamesThenTheMainScene) {
    const QString main = "run/main_scene=\"res://scenes/main.tscn\"\n";
    const QByteArray spatial = "[node name=\"Main\" type=\"Spatial\"]\n";
    const std::tuple<QString, QByteArray, bool> cases[] = {
        {"2d_physics/layer_1=\"a\"\n3d_render/layer_1=\"b\"\n", "", true},
        {"2d_render/layer_1=\"a\"\n" + main, spatial, false},
        {main, spatial, true},
        {main, "[node name=\"Main\" type=\"Node3D\"]\n", true},
        {main, "[node name=\"Main\" type=\"Node2D\"]\n", false},
    };
    for (const auto& [text, scene, is3D] : cases)
        EXPECT_EQ(
            inspect(project({{"project.godot", text.toUtf8()}, {"scenes/main.tscn", scene}})).is3D,
            is3D)
            << text;
}

TEST_F(ProjectTest, LicenceAndSummaryComeFromTheirFirstReadableFile) {
    const std::tuple<QString, QByteArray, QString, QString> licences[] = {
        {"LICENSE", "MIT License\n\nCopyright (c) 2021 V\nCopyright 2022 O\n", "MIT License",
         "Copyright (c) 2021 V"},
        {"COPYING", "  GNU GPL\t\n  COPYRIGHT (C) 2007 FSF  \n", "GNU GPL",
         "COPYRIGHT (C) 2007 FSF"},
        {"LICENSE.md", "\r\nMIT\r\nno holder\r\n", "MIT", ""},
        {"LICENSE", "\n\n\n", "See LICENSE", ""},
        {"LICENSE", "\xFF\xFE not UTF-8", "No licence file found in the repository", ""},
    };
    for (const auto& [file, text, name, copyright] : licences) {
        const GameInfo info = inspect(project({{file, text}}));
        EXPECT_EQ(info.licenseName, name) << text;
        EXPECT_EQ(info.copyrightLine, copyright) << text;
    }
    const std::pair<QByteArray, QString> readmes[] = {
        {"# Title\n![shot](s.png)\n---\n\n  A fast shooter.  \nMore.\n", "A fast shooter."},
        {"# Only\n## Headings\n", ""},
        {"caf\xC3", ""}, // not UTF-8: as if absent
    };
    for (const auto& [readme, summary] : readmes)
        EXPECT_EQ(inspect(project({{"README.md", readme}})).summary, summary) << readme;
    EXPECT_EQ(inspect(project({{"readme.md", "Last\n"}, {"README", "Third\n"}})).summary, "Third");
}

TEST_F(ProjectTest, FindProjectSearchesThreeLevelsDownShallowestFirstNeverHiddenOrLinked) {
    const std::tuple<QStringList, std::optional<QString>> cases[] = {
        {{"project.godot", "sub/project.godot"}, ""},
        {{"a/b/c/project.godot"}, "/a/b/c"},
        {{"a/b/c/d/project.godot"}, std::nullopt},
        {{"a/b/c/project.godot", "z/y/project.godot"}, "/z/y"},
        {{".git/project.godot", "src/game/project.godot"}, "/src/game"},
    };
    for (const auto& [files, found] : cases) {
        QList<std::pair<QString, QByteArray>> contents;
        for (const QString& file : files)
            contents.append({file, {}});
        const QString dir = project(contents);
        EXPECT_EQ(findProject(dir), found ? std::optional(dir + *found) : std::nullopt)
            << files.first();
    }
    const QString dir = project({{"top/x", ""}});
    testkit::writeFile(scratch(), "outside/project.godot", {});
    QFile::link(scratch() + "/outside", dir + "/top/linked");
    QFile::link(dir + "/top", dir + "/top/loop");
    EXPECT_EQ(findProject(dir), std::nullopt);
}

TEST(ProjectFile, ValuesAndEngineReleases) {
    const QString text = "config_version=5\r\nconfig/name_suffix=\"wrong\"\n"
                         "  \tconfig/name=\"Brennick\"  \nconfig/description = \"spaced\"\n"
                         "run/main_scene=\"res://a=b.tscn\"\nconfig/name=\"second\"\nempty=\n";
    const std::pair<QString, std::optional<QString>> values[] = {
        {"config_version", "5"},
        {"config/name", "\"Brennick\""},
        {"config/description", {}},
        {"run/main_scene", "\"res://a=b.tscn\""},
        {"empty", ""},
        {"config", {}},
    };
    for (const auto& [key, expected] : values)
        EXPECT_EQ(value(key, text), expected) << key;
    const std::tuple<qint64, QString, QString> releases[] = {
        {3, "\"4.2\"", "3.5.3"}, {4, "\"4.0\"", "4.0.4"}, {4, "\"4.4\", \"Mobile\"", "4.4.1"},
        {4, "\"4.5\"", "4.5"},   {4, "\"4.25\"", "4.3"},  {4, "", "4.3"},
    };
    for (const auto& [major, features, release] : releases)
        EXPECT_EQ(engineVersion(major, "PackedStringArray(" + features + ")"), release) << features;
}

} // namespace
