#include "project/GameInfoReader.h"

#include "project/GodotProjectText.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

using ProjectInspector::inspect;

namespace {

class GameInfoTest : public IsolatedTest {
protected:
    // A fresh, empty project folder for each case of a table.
    QString freshProject() {
        const QString dir = scratch() + QString("/case%1/My Game").arg(++cases_);
        QDir().mkpath(dir);
        return dir;
    }
    QString projectWith(const QString& projectText) {
        const QString dir = freshProject();
        testkit::writeFile(dir, "project.godot", projectText.toUtf8());
        return dir;
    }

private:
    int cases_ = 0;
};

} // namespace

TEST_F(GameInfoTest, ReadsAGodot4Project) {
    const QString dir = projectWith(
        "config_version=5\n\n[application]\n\nconfig/name=\"Brennick\"\n"
        "run/main_scene=\"res://scenes/main.tscn\"\n"
        "config/features=PackedStringArray(\"4.2\", \"Forward Plus\")\n\n[input]\n\n" +
        godot4::action("player_move_forward", {godot4::key(0, 87), godot4::key(0, 4194320)}) +
        "\n[layer_names]\n\n3d_physics/layer_1=\"world\"\n");
    testkit::writeFile(
        dir, "README.md",
        "# Brennick\n[![build](badge.svg)](ci)\n\nA time-trial shooter.\n## Controls\n"
        "Press J to jump.\n");
    testkit::writeFile(dir, "LICENSE", "MIT License\n\nCopyright (c) 2023 Varnel\n");

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
    ASSERT_EQ(info.controls.size(), 1) << "controls come from the input map, never the README";
    EXPECT_EQ(info.controls.first().action, "Move forward");
    EXPECT_EQ(info.controls.first().keys, "W / Up");
}

TEST_F(GameInfoTest, WithoutAProjectFileEverythingFallsBack) {
    const GameInfo info = inspect(freshProject());
    EXPECT_EQ(info.projectName, "My Game");
    EXPECT_EQ(info.configVersion, 4);
    EXPECT_EQ(info.engineMajor, 3);
    EXPECT_EQ(info.engineVersion, "3.5.3");
    EXPECT_FALSE(info.is3D);
    EXPECT_TRUE(info.mainScene.isEmpty());
    EXPECT_TRUE(info.summary.isEmpty());
    EXPECT_EQ(info.licenseName, "No licence file found in the repository");
    EXPECT_TRUE(info.copyrightLine.isEmpty());
    EXPECT_TRUE(info.controls.isEmpty());
}

TEST_F(GameInfoTest, ConfigVersionDecidesTheGeneration) {
    const QString features = "config/features=PackedStringArray(\"4.1\")\n";
    const QList<std::tuple<QString, qint64, qint64, QString>> cases{
        {"config_version=5\n", 5, 4, "4.1.4"},
        {"config_version=+6\n", 6, 4, "4.1.4"},
        {"config_version=4\n", 4, 3, "3.5.3"},
        {"config_version=3\n", 3, 3, "3.5.3"},
        {"config_version=-5\n", -5, 3, "3.5.3"},
        {"config_version=\"5\"\n", 4, 3, "3.5.3"},
        {"config_version=5.0\n", 4, 3, "3.5.3"},
        {"config_version=+\n", 4, 3, "3.5.3"},
        {"config_version=99999999999999999999\n", 4, 3, "3.5.3"},
        {"", 4, 3, "3.5.3"},
    };
    for (const auto& [line, configVersion, major, release] : cases) {
        const GameInfo info = inspect(projectWith(line + features));
        EXPECT_EQ(info.configVersion, configVersion) << line.toStdString();
        EXPECT_EQ(info.engineMajor, major) << line.toStdString();
        EXPECT_EQ(info.engineVersion, release) << line.toStdString();
    }
}

TEST_F(GameInfoTest, NameAndMainSceneLoseSurroundingQuotesAndSpaces) {
    const QList<std::pair<QString, QString>> cases{
        {"config/name=\" Brennick \"\n", "Brennick"},
        {"config/name=\"Say \"hi\"\"\n", "Say \"hi"},
        {"config/name=\"\t\"\n", "\t"},
        {"config/name=\"\"\n", "My Game"},
        {"config/name=\n", "My Game"},
        {"", "My Game"},
    };
    for (const auto& [line, name] : cases)
        EXPECT_EQ(inspect(projectWith(line)).projectName, name) << line.toStdString();
    EXPECT_EQ(inspect(projectWith("run/main_scene=\" res://main.tscn\"")).mainScene,
              "res://main.tscn");
}

TEST_F(GameInfoTest, CSharpFromTheFeaturesOrASolutionFile) {
    const QList<std::tuple<QString, QString, bool>> cases{
        {"config/features=PackedStringArray(\"4.2\", \"C#\")\n", "", true},
        {"", "Brennick.sln", true},
        {"", "Brennick.csproj", true},
        {"", ".hidden.sln", true},
        {"", "Player.cs", false},
        {"", "sub/Brennick.sln", false},
        {"", "Brennick.sln.bak", false},
    };
    for (const auto& [features, file, csharp] : cases) {
        const QString dir = projectWith("config_version=5\n" + features);
        if (!file.isEmpty())
            testkit::writeFile(dir, file, "x");
        EXPECT_EQ(inspect(dir).usesCSharp, csharp) << (features + file).toStdString();
    }
}

TEST_F(GameInfoTest, DimensionFromLayerNamesThenTheMainScene) {
    const QString mainScene = "run/main_scene=\"res://scenes/main.tscn\"\n";
    const QList<std::tuple<const char*, QString, QString, bool>> cases{
        {"3D physics layer", "3d_physics/layer_1=\"a\"\n2d_render/layer_1=\"b\"\n", "", true},
        {"3D render layer wins over 2D", "2d_physics/layer_1=\"a\"\n3d_render/layer_1=\"b\"\n", "",
         true},
        {"2D layer beats a 3D scene", "2d_render/layer_1=\"a\"\n" + mainScene,
         "[node name=\"Main\" type=\"Spatial\"]\n", false},
        {"Godot 3 spatial root", mainScene, "[node name=\"Main\" type=\"Spatial\"]\n", true},
        {"Godot 4 3D root", mainScene, "[node name=\"Main\" type=\"Node3D\"]\n", true},
        {"2D root", mainScene, "[node name=\"Main\" type=\"Node2D\"]\n", false},
        {"unquoted type name", mainScene, "Node3D\n", false},
        {"no main scene", "", "[node name=\"Main\" type=\"Node3D\"]\n", false},
    };
    for (const auto& [what, projectText, scene, is3D] : cases) {
        const QString dir = projectWith(projectText);
        if (!scene.isEmpty())
            testkit::writeFile(dir, "scenes/main.tscn", scene.toUtf8());
        EXPECT_EQ(inspect(dir).is3D, is3D) << what;
    }
}

TEST_F(GameInfoTest, LicenceNameAndCopyrightLine) {
    const QList<std::tuple<QString, QByteArray, QString, QString>> cases{
        {"LICENSE", "MIT License\n\nCopyright (c) 2021 Varnel\nCopyright 2022 Other\n",
         "MIT License", "Copyright (c) 2021 Varnel"},
        {"COPYING", "  GNU GENERAL PUBLIC LICENSE\t\n  COPYRIGHT (C) 2007 FSF  \n",
         "GNU GENERAL PUBLIC LICENSE", "COPYRIGHT (C) 2007 FSF"},
        {"MIT_LICENSE.txt", "Zlib licence\nno holder named\n", "Zlib licence", ""},
        {"LICENSE.md", "\r\nMIT\r\nCopyright 2020 A\r\n", "MIT", "Copyright 2020 A"},
        {"LICENSE", "\n\n\n", "See LICENSE", ""},
        {"LICENSE", "", "No licence file found in the repository", ""},
        {"LICENSE", "\xFF\xFE not UTF-8", "No licence file found in the repository", ""},
    };
    for (const auto& [file, text, name, copyright] : cases) {
        const QString dir = freshProject();
        testkit::writeFile(dir, file, text);
        const ProjectInspector::detail::LicenseText licence =
            ProjectInspector::detail::readLicense(dir);
        EXPECT_EQ(licence.name, name) << text.toStdString();
        EXPECT_EQ(licence.copyrightLine, copyright) << text.toStdString();
    }
}

TEST(GameInfo, SummaryIsTheFirstLineOfProse) {
    const QList<std::pair<QString, QString>> cases{
        {"# Title\n[![badge](b.svg)](l)\n![shot](s.png)\n---\n\n  A fast shooter.  \nMore.\n",
         "A fast shooter."},
        {"---\ntitle: x\n---\n", "title: x"},
        {"# Only\n## Headings\n", ""},
        {"", ""},
        {"\t \n\tSecond line\n", "Second line"},
    };
    for (const auto& [readme, summary] : cases)
        EXPECT_EQ(ProjectInspector::detail::summary(readme), summary) << readme.toStdString();
}

TEST_F(GameInfoTest, ReadmeNamesAreTriedInOrder) {
    const QString dir = projectWith("");
    testkit::writeFile(dir, "readme.md", "From readme.md\n");
    EXPECT_EQ(inspect(dir).summary, "From readme.md");
    testkit::writeFile(dir, "README", "From README\n");
    EXPECT_EQ(inspect(dir).summary, "From README");
    testkit::writeFile(dir, "README.md", "From README.md\n");
    EXPECT_EQ(inspect(dir).summary, "From README.md");
}
