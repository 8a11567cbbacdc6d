#include "project/Controls.h"
#include "project/GameInfoReader.h"
#include "project/LicenceNames.h"
#include "project/ProjectFile.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QRegularExpression>

using namespace ProjectInspector;

namespace {

// An input-map event as the Godot editors write it, among properties the launcher ignores;
// `properties` are written name:value, the names unquoted.
QString event(const QString& type, QString properties) {
    properties.replace(QRegularExpression("(\\w+):"), "\"\\1\":");
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

TEST(Controls, LabelsEachEventByItsKindAndKeyCode) {
    const auto key = [](const char* properties) { return event("Key", properties); };
    const auto axis = [](const char* properties) { return event("JoypadMotion", properties); };
    const auto mouse = [](const char* properties) { return event("MouseButton", properties); };
    const QString w = key("keycode:0,physical_keycode:87");
    const struct { const char* name; QString keys, event; } rows[] = {
        {.name = "3 physical", .keys = "Up", .event = key("scancode:0,physical_scancode:16777232")},
        {.name = "4 label", .keys = "Up",
         .event = key("keycode:0,physical_keycode:0,key_label:4194320")},
        {.name = "4 key first", .keys = "A", .event = key("keycode:65,physical_keycode:87")},
        {.name = "4 none", .keys = "", .event = key("keycode:0,physical_keycode:0,key_label:0")},
        {.name = "overflow", .keys = "Space",
         .event = key("keycode:99999999999999999999,physical_keycode:32")},
        {.name = "wheel", .keys = "Scroll down", .event = mouse("button_index:5")},
        {.name = "mouse", .keys = "Mouse button", .event = mouse("button_index:6")},
        {.name = "left", .keys = "Left stick", .event = axis("axis:1,axis_value:-1.0")},
        {.name = "right", .keys = "Right stick", .event = axis("axis:2")},
        {.name = "trigger", .keys = "Gamepad trigger", .event = axis("axis:5")},
        {.name = "pad", .keys = "Gamepad button 11",
         .event = event("JoypadButton", "button_index:11")},
        {.name = "motion", .keys = "", .event = event("MouseMotion", "button_mask:0")},
        {.name = "no repeats", .keys = "W / Left stick",
         .event = w + ", " + axis("axis:0") + ", " + w},
        {.name = "3 escape", .keys = "Esc", .event = key("scancode:16777217")},
        {.name = "4 escape", .keys = "Esc", .event = key("keycode:4194305")},
        {.name = "4 down", .keys = "Down", .event = key("keycode:4194322")},
        {.name = "digit", .keys = "0", .event = key("keycode:48")},
        {.name = "letter", .keys = "Z", .event = key("keycode:90")},
        {.name = "colon", .keys = "Key 58", .event = key("keycode:58")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(keys(row.event), row.keys);
    }
}

// Each in words, without the player's prefix.
TEST(Controls, ListsTheGamesOwnActionsOfTheInputSectionByName) {
    const QString space = event("Key", "keycode:0,physical_keycode:32");
    QString text = input(action("move_forward", {event("Key", "keycode:87")}) +
                         action("ui_accept", {space}) + "dash={ \"events\": [" + space + "] }\n" +
                         action("player_jump", {space}) +
                         action("\"shoot\"", {event("MouseButton", "button_index:1")}) +
                         " crouch={\n" + event("Key", "keycode:4194326") + "\n}\n") +
                   action("fire", {space});
    text.replace("\n", "\r\n");
    const QList<ControlEntry> entries = parseControls(text);
    ASSERT_EQ(entries.size(), 2) << "no ui_ action, no one-line action, nothing after the section";
    EXPECT_EQ(entries[0].action, "Move forward");
    EXPECT_EQ(entries[1].keys, "Space / Left mouse button / Ctrl")
        << "quoted names and indented lines belong to the action above";
    EXPECT_TRUE(parseControls("config_version=4\n" + action("jump", {space})).isEmpty());
    const struct { const char* name; QString shown; } rows[] = {
        {.name = "player_jump", .shown = "Jump"}, {.name = "player", .shown = "Player"},
        {.name = "Player_jump", .shown = "Player jump"}, {.name = "player__aim", .shown = "Aim"},
        {.name = "___", .shown = ""}, {.name = "ßprint", .shown = "SSprint"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(detail::humanize(row.name), row.shown);
    }
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

// An unreadable config version is Godot 3's; a known feature version gets its newest patch
// release, a newer one its own first release, none Godot 4's standard one. C# is told by the
// features or a solution at the top.
TEST_F(ProjectTest, TheEngineBuildFollowsTheVersionsAndLanguageTheProjectDeclares) {
    const struct { const char *name, *config, *release, *features = "\"4.1\""; } rows[] = {
        {.name = "4", .config = "5", .release = "4.1.4"},
        {.name = "signed", .config = "+6", .release = "4.1.4"},
        {.name = "3", .config = "4", .release = "3.5.3"},
        {.name = "quoted", .config = "\"5\"", .release = "3.5.3"},
        {.name = "overflow", .config = "99999999999999999999", .release = "3.5.3"},
        {.name = "4.0", .config = "5", .release = "4.0.4", .features = "\"4.0\""},
        {.name = "4.4", .config = "5", .release = "4.4.1", .features = "\"4.4\", \"Mobile\""},
        {.name = "4.5", .config = "5", .release = "4.5", .features = "\"4.5\""},
        {.name = "newer", .config = "5", .release = "4.7", .features = "\"4.7\", \"Mobile\""},
        {.name = "none", .config = "5", .release = "4.3", .features = ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString text = QString("config_version=%1\nconfig/features=PackedStringArray(%2)\n")
                                 .arg(row.config, row.features);
        EXPECT_EQ(with(text).engineVersion, row.release);
    }
    for (const char* file : {"Brennick.sln", ".hidden.csproj"})
        EXPECT_TRUE(inspect(project({{file, "x"}})).usesCSharp) << file;
    for (const char* file : {"Player.cs", "sub/B.sln"})
        EXPECT_FALSE(inspect(project({{file, "x"}})).usesCSharp) << file;
}

TEST_F(ProjectTest, TheNameIsTheFirstConfigNameElseTheFolders) {
    EXPECT_EQ(with("config/name=\"Say \"hi\"\"\n").projectName, "Say \"hi");
    const char* two = "config_version=5\r\nconfig/name_suffix=\"x\"\n  \tconfig/name=\"B\"  \r\n"
                      "config/name=\"second\"\n";
    EXPECT_EQ(with(two).projectName, "B");
    EXPECT_EQ(inspect(project({{"project.godot", "config/name=\"\"\n"}}) + "/").projectName,
              "My Game");
}

TEST_F(ProjectTest, TheLayerNamesTellTheDimensionElseTheMainScenesRoot) {
    const QString main = "run/main_scene=\" res://s/m=1.tscn\"\n";
    const struct { const char *name, *root = ""; bool is3D; QString text = {}; } rows[] = {
        {.name = "3D layers", .is3D = true,
         .text = "2d_physics/layer_1=\"a\"\n3d_render/layer_1=\"b\"\n"},
        {.name = "2D layers", .root = "Spatial", .is3D = false,
         .text = "2d_render/layer_1=\"a\"\n" + main},
        {.name = "Spatial", .root = "Spatial", .is3D = true, .text = main},
        {.name = "Node3D", .root = "Node3D", .is3D = true, .text = main},
        {.name = "Node2D", .root = "Node2D", .is3D = false, .text = main},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray scene = QByteArray("[node name=\"Main\" type=\"") + row.root + "\"]\n";
        const QString dir = project({{"project.godot", row.text.toUtf8()}, {"s/m=1.tscn", scene}});
        EXPECT_EQ(inspect(dir).is3D, row.is3D);
    }
}

// Common licences are known by the wording of their real openings; what begins first names them.
// The summary is the first paragraph of the first readme.
TEST_F(ProjectTest, TheTextsAboutTheGameComeFromItsFirstLicenceFileAndReadme) {
    const QString see = "See LICENSE", none = "No licence file found in the repository";
    const struct { const char *name, *file, *text; QString licence, copy = {}; } rows[] = {
        {.name = "indented", .file = "COPYING", .text = "  GNU GPL\t\n  COPYRIGHT (C) FSF  \n",
         .licence = "GNU GPL", .copy = "COPYRIGHT (C) FSF"},
        {.name = "blank", .file = "LICENSE", .text = "\n\n\n", .licence = see},
        {.name = "GPL after a break", .file = "LICENSE.md",
         .text = "Copyright (c) 2007 A. \\\r\n GNU GENERAL PUBLIC LICENSE\r\nVersion 3\r\n",
         .licence = "GNU GPL v3", .copy = "Copyright (c) 2007 A."},
        {.name = "unknown", .file = "LICENSE.txt",
         .text = "Copyright (c) A \\\nAll rights reserved.\n", .licence = see,
         .copy = "Copyright (c) A"},
        {.name = "not UTF-8", .file = "LICENSE", .text = "\xFF\xFE not UTF-8", .licence = none},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const GameInfo info = inspect(project({{row.file, row.text}}));
        EXPECT_EQ(info.licenseName, row.licence);
        EXPECT_EQ(info.copyrightLine, row.copy);
    }
    const QString mit = "Permission is hereby granted, free of charge, to any person obtaining a "
                        "copy\nof this software ... The above copyright notice and this permission "
                        "notice shall be included";
    const QString bsd = "Redistribution and use in source and binary forms, with or without\n"
                        "modification, are permitted provided that the following conditions\n";
    const struct { const char* name; QString text; } known[] = {
        {.name = "MIT License", .text = "MIT License\n\nCopyright (c) 2023 V\n\n" + mit},
        {.name = "BSD 2-Clause License", .text = bsd},
        {.name = "BSD 3-Clause License", .text = bsd + "3. Neither the name of the copyright"},
        {.name = "BSD 4-Clause License",
         .text = bsd + "3. All advertising materials mentioning features or use of this software"
                       "\n4. Neither the name of the copyright holder"},
        {.name = "Apache License 2.0",
         .text = "Apache License\n Version 2.0, January 2004\n" + mit},
        {.name = "GNU GPL v2", .text = "\t    GNU GENERAL PUBLIC LICENSE\n\t Version 2, June 1991"},
        {.name = "GNU LGPL v3",
         .text = "GNU LESSER GENERAL PUBLIC LICENSE\n Version 3, 29 June 2007"},
        {.name = "GNU LGPL v2.1", .text = "GNU LESSER GENERAL PUBLIC LICENSE\n Version 2.1, 1999"},
        {.name = "GNU LGPL v2", .text = "GNU LIBRARY GENERAL PUBLIC LICENSE\n Version 2, 1991"},
        {.name = "GNU AGPL v3", .text = "GNU AFFERO GENERAL PUBLIC LICENSE\n Version 3, 2007"},
        {.name = "Mozilla Public License 2.0", .text = "Mozilla Public License Version 2.0\n====="},
        {.name = "zlib License",
         .text = "Permission is granted to anyone to use this software for any purpose,\n"
                 "including commercial applications, and to alter it and redistribute it"},
        {.name = "CC0 1.0 Universal", .text = "Creative Commons Legal Code\n\nCC0 1.0 Universal"},
        {.name = "The Unlicense",
         .text = "This is free and unencumbered software released into the public domain."},
    };
    for (const auto& row : known) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(licenceName(row.text), row.name);
    }
    EXPECT_EQ(licenceName(mit.left(mit.indexOf("The above"))), "") << "no notice clause: not MIT";
    EXPECT_EQ(detail::summary("# Title\n[![build](b.svg)](ci)\n![shot](s.png)\n---\n\n"
                              "  A fast shooter. \\\nMore.\n"),
              "A fast shooter.");
    EXPECT_EQ(inspect(project({{"readme.md", "Last\n"}, {"README", "Third\n"}})).summary, "Third");
}

TEST_F(ProjectTest, FindProjectSearchesThreeLevelsDownShallowestFirstNeverHiddenOrLinked) {
    const struct { const char* name; QStringList files; std::optional<QString> found; } rows[] = {
        {.name = "third level", .files = {"a/b/c/project.godot"}, .found = "/a/b/c"},
        {.name = "fourth level", .files = {"a/b/c/d/project.godot"}, .found = std::nullopt},
        {.name = "shallowest", .files = {"a/b/c/project.godot", "z/y/project.godot"},
         .found = "/z/y"},
        {.name = "not hidden", .files = {".git/project.godot", "src/game/project.godot"},
         .found = "/src/game"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString dir = project({});
        for (const QString& file : row.files)
            testkit::writeFile(dir, file, {});
        EXPECT_EQ(findProject(dir), row.found ? std::optional(dir + *row.found) : std::nullopt);
    }
    const QString dir = project({{"top/x", ""}});
    testkit::writeFile(scratch(), "outside/project.godot", {});
    QFile::link(scratch() + "/outside", dir + "/top/linked");
    QFile::link(dir + "/top", dir + "/top/loop");
    EXPECT_EQ(findProject(dir), std::nullopt);
}

} // namespace
