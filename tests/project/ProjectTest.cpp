#include "project/Controls.h"
#include "project/GameInfoReader.h"
#include "project/LicenceNames.h"
#include "project/ProjectFile.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

using namespace ProjectInspector;

namespace {

// An input-map event as the Godot editors write it, among properties the launcher ignores.
QString event(const QString& type, const QString& properties) {
    return QString("Object(InputEvent%1,\"device\":-1,%2,\"pressed\":false)").arg(type, properties);
}

QString input(const QString& actions) {
    return "config_version=5\n[input]\n" + actions + "[rendering]\ndriver_name=\"GLES2\"\n";
}

QString action(const QString& name, const QStringList& events) {
    return name + "={\n\"deadzone\": 0.5,\n\"events\": [" + events.join("\n, ") + "\n]\n}\n";
}

// The keys shown for an action holding `events`; empty when it is not shown.
QString keys(const QString& events) {
    const QList<ControlEntry> entries = parseControls(input(action("act", {events})));
    return entries.isEmpty() ? QString() : entries.first().keys;
}

TEST(Controls, ActionsOfTheInputSectionWithTheLabelOfEachEventFormat) {
    const QString w = event("Key", "\"keycode\":0,\"physical_keycode\":87");
    const std::pair<QString, QString> cases[] = {
        {event("Key", "\"scancode\":87,\"physical_scancode\":0"), "W"},
        {event("Key", "\"scancode\":0,\"physical_scancode\":16777232"), "Up"},
        {event("Key", "\"keycode\":0,\"physical_keycode\":0,\"key_label\":4194320"), "Up"},
        {event("Key", "\"keycode\":65,\"physical_keycode\":87"), "A"},
        {event("Key", "\"keycode\":0,\"physical_keycode\":0,\"key_label\":0"), ""},
        {event("Key", "\"keycode\":99999999999999999999,\"physical_keycode\":32"), "Space"},
        {event("MouseButton", "\"button_index\":5"), "Scroll down"},
        {event("MouseButton", "\"button_index\":6"), "Mouse button"},
        {event("JoypadMotion", "\"axis\":1,\"axis_value\":-1.0"), "Left stick"},
        {event("JoypadMotion", "\"axis\":2"), "Right stick"},
        {event("JoypadMotion", "\"axis\":5"), "Gamepad trigger"},
        {event("JoypadButton", "\"button_index\":11"), "Gamepad button 11"},
        {event("MouseMotion", "\"button_mask\":0"), ""},
        {w + ", " + event("JoypadMotion", "\"axis\":0") + ", " + w, "W / Left stick"}, // no repeats
    };
    for (const auto& [events, label] : cases)
        EXPECT_EQ(keys(events), label) << events;
    const QString space = event("Key", "\"keycode\":0,\"physical_keycode\":32");
    QString text = input(action("move_forward", {event("Key", "\"keycode\":87")}) +
                         action("ui_accept", {space}) + "dash={ \"events\": [" + space + "] }\n" +
                         action("player_jump", {space}) +
                         action("\"shoot\"", {event("MouseButton", "\"button_index\":1")}) +
                         " crouch={\n" + event("Key", "\"keycode\":4194326") + "\n}\n") +
                   action("fire", {space});
    text.replace("\n", "\r\n");
    const QList<ControlEntry> entries = parseControls(text);
    ASSERT_EQ(entries.size(), 2) << "no ui_ action, no one-line action, nothing after the section";
    EXPECT_EQ(entries[0].action, "Move forward");
    EXPECT_EQ(entries[1].action, "Jump");
    EXPECT_EQ(entries[1].keys, "Space / Left mouse button / Ctrl")
        << "quoted names and indented lines belong to the action above";
    EXPECT_TRUE(parseControls("config_version=4\n" + action("jump", {space})).isEmpty());
    const std::pair<qint64, QString> labels[] = {
        {16777217, "Esc"}, {4194305, "Esc"}, {4194322, "Down"}, {48, "0"},
        {90, "Z"},         {58, "Key 58"},   {97, "Key 97"},
    };
    for (const auto& [code, label] : labels)
        EXPECT_EQ(detail::keyLabel(code), label) << code;
    const std::pair<QString, QString> names[] = {
        {"player_jump", "Jump"}, {"player", "Player"}, {"Player_jump", "Player jump"},
        {"player__aim", "Aim"},  {"___", ""},          {"ßprint", "SSprint"},
    };
    for (const auto& [name, shown] : names)
        EXPECT_EQ(detail::humanize(name), shown) << name;
}

class ProjectTest : public IsolatedTest {
protected:
    // A fresh project folder "My Game" holding `files` (name, text).
    QString project(const QList<std::pair<QString, QByteArray>>& files) {
        static int count = 0;
        const QString dir = scratch() + QString("/case%1/My Game").arg(++count);
        QDir().mkpath(dir);
        for (const auto& [name, text] : files)
            testkit::writeFile(dir, name, text);
        return dir;
    }
    GameInfo with(const QString& projectText) {
        return inspect(project({{"project.godot", projectText.toUtf8()}}));
    }
};

TEST_F(ProjectTest, EachDetailFallsBackSafelyAndTheTextsComeFromTheFirstReadableFile) {
    const std::pair<QString, QString> versions[] = {
        {"config_version=5\n", "4.1.4"},   {"config_version=+6\n", "4.1.4"},
        {"config_version=4\n", "3.5.3"},   {"config_version=\"5\"\n", "3.5.3"},
        {"config_version=5.0\n", "3.5.3"}, {"config_version=99999999999999999999\n", "3.5.3"},
    };
    for (const auto& [line, release] : versions)
        EXPECT_EQ(with(line + "config/features=\"4.1\"\n").engineVersion, release) << line;
    EXPECT_EQ(with("config/name=\"Say \"hi\"\"\n").projectName, "Say \"hi");
    const QString top = "config_version=5\r\nconfig/name_suffix=\"x\"\n  \tconfig/name=\"B\"  ";
    EXPECT_EQ(with(top + "\r\nconfig/name=\"second\"\n").projectName, "B");
    EXPECT_EQ(inspect(project({{"project.godot", "config/name=\"\"\n"}}) + "/").projectName,
              "My Game");
    EXPECT_TRUE(with("config/features=PackedStringArray(\"4.2\", \"C#\")\n").usesCSharp);
    for (const char* file : {"Brennick.sln", ".hidden.csproj"})
        EXPECT_TRUE(inspect(project({{file, "x"}})).usesCSharp) << file;
    for (const char* file : {"Player.cs", "sub/B.sln"})
        EXPECT_FALSE(inspect(project({{file, "x"}})).usesCSharp) << file;
    // The layer names tell the dimension; without them, the main scene's root node does.
    const QByteArray main = "run/main_scene=\" res://s/m=1.tscn\"\n";
    const QByteArray spatial = "[node name=\"Main\" type=\"Spatial\"]\n";
    const std::tuple<QByteArray, QByteArray, bool> dimensions[] = {
        {"2d_physics/layer_1=\"a\"\n3d_render/layer_1=\"b\"\n", "", true},
        {"2d_render/layer_1=\"a\"\n" + main, spatial, false},
        {main, spatial, true},
        {main, "[node name=\"Main\" type=\"Node3D\"]\n", true},
        {main, "[node name=\"Main\" type=\"Node2D\"]\n", false},
    };
    for (const auto& [text, scene, is3D] : dimensions)
        EXPECT_EQ(inspect(project({{"project.godot", text}, {"s/m=1.tscn", scene}})).is3D, is3D)
            << text;
    const std::tuple<QString, QByteArray, QString, QString> licences[] = {
        {"LICENSE", "MIT License\n\nCopyright (c) V\nCopyright O\n", "MIT License",
         "Copyright (c) V"},
        {"COPYING", "  GNU GPL\t\n  COPYRIGHT (C) FSF  \n", "GNU GPL", "COPYRIGHT (C) FSF"},
        {"LICENSE", "\n\n\n", "See LICENSE", ""},
        {"LICENSE.md", "Copyright (c) 2007 A. \\\r\n GNU GENERAL PUBLIC LICENSE\r\nVersion 3\r\n",
         "GNU GPL v3", "Copyright (c) 2007 A."},
        {"LICENSE.txt", "Copyright (c) A \\\nAll rights reserved.\n", "See LICENSE",
         "Copyright (c) A"},
        {"LICENSE", "\xFF\xFE not UTF-8", "No licence file found in the repository", ""},
    };
    for (const auto& [file, text, name, copyright] : licences) {
        const GameInfo info = inspect(project({{file, text}}));
        EXPECT_EQ(info.licenseName, name) << text;
        EXPECT_EQ(info.copyrightLine, copyright) << text;
    }
    EXPECT_EQ(detail::summary("# Title\n[![build](b.svg)](ci)\n![shot](s.png)\n---\n\n"
                              "  A fast shooter. \\\nMore.\n"),
              "A fast shooter.");
    EXPECT_EQ(detail::summary("# Only\n## Headings\n"), "");
    EXPECT_EQ(inspect(project({{"readme.md", "Last\n"}, {"README", "Third\n"}})).summary, "Third");
}

// Real openings of the licence files; the wording that begins first names the file.
TEST(LicenceNames, CommonLicencesAreKnownByTheirWording) {
    const QString mit = "Permission is hereby granted, free of charge, to any person obtaining a "
                        "copy\nof this software ... The above copyright notice and this permission "
                        "notice shall be included";
    const QString bsd = "Redistribution and use in source and binary forms, with or without\n"
                        "modification, are permitted provided that the following conditions\n";
    const struct Row {
        const char* name; // what the text is recognised as
        QString text;
    } rows[] = {
        {"MIT License", "MIT License\n\nCopyright (c) 2023 V\n\n" + mit},
        {"BSD 2-Clause License", bsd},
        {"BSD 3-Clause License", bsd + "3. Neither the name of the copyright"},
        {"BSD 4-Clause License",
         bsd + "3. All advertising materials mentioning features or use of this software"
               "\n4. Neither the name of the copyright holder"},
        {"Apache License 2.0", "Apache License\n Version 2.0, January 2004\n" + mit},
        {"GNU GPL v3", "GNU GENERAL PUBLIC LICENSE\n  Version 3, 29 June 2007"},
        {"GNU GPL v2", "\t    GNU GENERAL PUBLIC LICENSE\n\t Version 2, June 1991"},
        {"GNU LGPL v3", "GNU LESSER GENERAL PUBLIC LICENSE\n Version 3, 29 June 2007"},
        {"GNU LGPL v2.1", "GNU LESSER GENERAL PUBLIC LICENSE\n Version 2.1, 1999"},
        {"GNU LGPL v2", "GNU LIBRARY GENERAL PUBLIC LICENSE\n Version 2, 1991"},
        {"GNU AGPL v3", "GNU AFFERO GENERAL PUBLIC LICENSE\n Version 3, 2007"},
        {"Mozilla Public License 2.0", "Mozilla Public License Version 2.0\n====="},
        {"zlib License", "Permission is granted to anyone to use this software for any purpose,\n"
                         "including commercial applications, and to alter it and redistribute it"},
        {"CC0 1.0 Universal", "Creative Commons Legal Code\n\nCC0 1.0 Universal"},
        {"The Unlicense",
         "This is free and unencumbered software released into the public domain."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(licenceName(row.text), row.name);
    }
    EXPECT_EQ(licenceName(mit.left(mit.indexOf("The above"))), "") << "no notice clause: not MIT";
}

TEST_F(ProjectTest, FindProjectSearchesThreeLevelsDownShallowestFirstNeverHiddenOrLinked) {
    const std::tuple<QStringList, std::optional<QString>> cases[] = {
        {{"project.godot", "sub/project.godot"}, ""},
        {{"a/b/c/project.godot"}, "/a/b/c"},
        {{"a/b/c/d/project.godot"}, std::nullopt},
        {{"a/b/c/project.godot", "z/y/project.godot"}, "/z/y"},
        {{".git/project.godot", "src/game/project.godot"}, "/src/game"}};
    for (const auto& [files, found] : cases) {
        const QString dir = project({});
        for (const QString& file : files)
            testkit::writeFile(dir, file, {});
        EXPECT_EQ(findProject(dir), found ? std::optional(dir + *found) : std::nullopt)
            << files.first();
    }
    const QString dir = project({{"top/x", ""}});
    testkit::writeFile(scratch(), "outside/project.godot", {});
    QFile::link(scratch() + "/outside", dir + "/top/linked");
    QFile::link(dir + "/top", dir + "/top/loop");
    EXPECT_EQ(findProject(dir), std::nullopt);
}

TEST(ProjectFile, EngineReleases) {
    const std::pair<QString, QString> releases[] = {
        {"\"4.0\"", "4.0.4"}, {"\"4.4\", \"Mobile\"", "4.4.1"}, {"\"4.5\"", "4.5"},
        {"\"4.25\"", "4.3"}, {"", "4.3"},
    };
    for (const auto& [features, release] : releases)
        EXPECT_EQ(engineVersion(4, "PackedStringArray(" + features + ")"), release) << features;
}

} // namespace
