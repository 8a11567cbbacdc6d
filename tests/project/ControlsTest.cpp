#include "project/Controls.h"

#include "project/GodotProjectText.h"
#include "testkit/TestEnvironment.h"

#include <QSet>

#include <gtest/gtest.h>

using ProjectInspector::parseControls;
using ProjectInspector::detail::humanize;
using ProjectInspector::detail::keyLabel;

namespace {

// The keys text of a single action bound to `events`; empty when it gives no entry.
QString keysFor(int configVersion, const QStringList& events) {
    const QString section =
        configVersion > 4 ? godot4::action("act", events) : godot3::action("act", events);
    const QList<ControlEntry> entries = parseControls(projectWithInput(configVersion, section));
    EXPECT_LE(entries.size(), 1);
    return entries.isEmpty() ? QString() : entries.first().keys;
}

struct EventCase {
    const char* what;
    int configVersion;
    QString event;
    QString label;
};

} // namespace

TEST(Controls, EachEventFormatGivesItsLabel) {
    const QList<EventCase> cases{
        {"Godot 3 scancode", 4, godot3::key(87), "W"},
        {"Godot 3 physical key", 4, godot3::key(0, 16777232), "Up"},
        {"Godot 3 special key", 4, godot3::key(16777237), "Shift"},
        {"Godot 4 logical key", 5, godot4::key(87, 0), "W"},
        {"Godot 4 physical key with keycode 0", 5, godot4::key(0, 87), "W"},
        {"Godot 4 key known only by its label", 5, godot4::key(0, 0, 4194320), "Up"},
        {"Godot 4 logical code decides over the physical one", 5, godot4::key(65, 87), "A"},
        {"Godot 4 physical code decides over the label", 5, godot4::key(0, 32, 87), "Space"},
        {"Godot 4 key with every code 0", 5, godot4::key(0, 0, 0), ""},
        {"a logical code too big to read falls back", 5,
         godot4::key(0, 87).replace("\"keycode\":0", "\"keycode\":99999999999999999999"), "W"},
        {"no logical property at all", 5, "Object(InputEventKey,\"physical_keycode\":32)", "Space"},
        {"Godot 3 left mouse button", 4, godot3::mouseButton(1), "Left mouse button"},
        {"Godot 4 wheel down", 5, godot4::mouseButton(5), "Scroll down"},
        {"Godot 4 extra mouse button", 5, godot4::mouseButton(6), "Mouse button"},
        {"mouse button without its number", 5, "Object(InputEventMouseButton,\"pressed\":false)",
         "Mouse button"},
        {"Godot 3 left stick", 4, godot3::joypadMotion(1), "Left stick"},
        {"Godot 4 right stick", 5, godot4::joypadMotion(3), "Right stick"},
        {"Godot 4 trigger", 5, godot4::joypadMotion(5), "Gamepad trigger"},
        {"Godot 3 gamepad button", 4, godot3::joypadButton(0), "Gamepad button 0"},
        {"Godot 4 gamepad button", 5, godot4::joypadButton(11), "Gamepad button 11"},
        {"mouse motion is not shown", 5, godot4::mouseMotion(), ""},
    };
    for (const EventCase& c : cases)
        EXPECT_EQ(keysFor(c.configVersion, {c.event}), c.label) << c.what;
}

TEST(Controls, LabelsAreJoinedInFileOrderWithoutRepeats) {
    EXPECT_EQ(keysFor(5, {godot4::key(0, 87), godot4::key(0, 4194320), godot4::key(87, 0),
                          godot4::joypadMotion(1), godot4::mouseMotion()}),
              "W / Up / Left stick");
}

TEST(Controls, ActionsComeInFileOrderWithReadableNames) {
    const QString section = godot3::action("move_forward", {godot3::key(87)}) +
                            godot3::action("ui_accept", {godot3::key(16777221)}) +
                            godot3::action("player_jump", {godot3::key(32)}) +
                            godot3::action("look", {godot3::mouseButton(2)});
    const QList<ControlEntry> entries = parseControls(projectWithInput(4, section));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].action, "Move forward");
    EXPECT_EQ(entries[1].action, "Jump");
    EXPECT_EQ(entries[1].keys, "Space");
    EXPECT_EQ(entries[2].action, "Look");
    const QSet<QUuid> ids{entries[0].id, entries[1].id, entries[2].id};
    EXPECT_EQ(ids.size(), 3);
    EXPECT_FALSE(ids.contains(QUuid()));
}

TEST(Controls, OnlyTheInputSectionIsRead) {
    const QString jump = godot3::action("jump", {godot3::key(32)});
    EXPECT_TRUE(parseControls("config_version=4\n\n[input_devices]\n\n" + jump).isEmpty());
    EXPECT_TRUE(parseControls("config_version=4\n" + jump).isEmpty());
    EXPECT_TRUE(
        parseControls(projectWithInput(4, godot3::action("ui_left", {godot3::key(65)}))).isEmpty());
    // An action-like block after the next section header is not an action.
    const QString later = "config_version=4\n[input]\n" + jump + "[other]\n" +
                          godot3::action("fire", {godot3::mouseButton(1)});
    ASSERT_EQ(parseControls(later).size(), 1);
    EXPECT_EQ(parseControls(later).first().action, "Jump");
}

TEST(Controls, HeaderLinesStartInTheFirstColumnWithAnUnquotedName) {
    // A quoted name is not a header: its events count towards the action above.
    const QString quoted = godot4::action("jump", {godot4::key(0, 32)}) +
                           godot4::action("\"shoot\"", {godot4::mouseButton(1)});
    const QList<ControlEntry> merged = parseControls(projectWithInput(5, quoted));
    ASSERT_EQ(merged.size(), 1);
    EXPECT_EQ(merged.first().keys, "Space / Left mouse button");

    // An action written on one line has no contents below its header.
    const QString oneLine = "dash={ \"deadzone\": 0.5, \"events\": [" + godot4::key(0, 16777237) +
                            "] }\n" + godot4::action("jump", {godot4::key(0, 32)});
    const QList<ControlEntry> entries = parseControls(projectWithInput(5, oneLine));
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().action, "Jump");

    const QString indented = godot4::action("jump", {godot4::key(0, 32)}) + " crouch={\n" +
                             godot4::key(0, 4194326) + "\n}\n";
    const QList<ControlEntry> one = parseControls(projectWithInput(5, indented));
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one.first().keys, "Space / Ctrl");
}

TEST(Controls, WindowsLineEndsAreAccepted) {
    QString text = projectWithInput(5, godot4::action("move_left", {godot4::key(0, 65)}));
    text.replace("\n", "\r\n");
    const QList<ControlEntry> entries = parseControls(text);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().action, "Move left");
    EXPECT_EQ(entries.first().keys, "A");
}

TEST(Controls, KeyLabels) {
    const QList<std::pair<qint64, QString>> cases{
        {32, "Space"},
        {16777217, "Esc"},
        {4194305, "Esc"},
        {16777232, "Up"},
        {4194320, "Up"},
        {4194322, "Down"},
        {16777240, "Alt"},
        {4194328, "Alt"},
        {48, "0"},
        {57, "9"},
        {65, "A"},
        {90, "Z"},
        {47, "Key 47"},
        {58, "Key 58"},
        {96, "Key 96"},
        {97, "Key 97"},
        {4194327, "Key 4194327"},
    };
    for (const auto& [code, label] : cases)
        EXPECT_EQ(keyLabel(code), label) << code;
}

TEST(Controls, HumanizedActionNames) {
    const QList<std::pair<QString, QString>> cases{
        {"move_forward", "Move forward"},
        {"player_jump", "Jump"},
        {"player", "Player"},
        {"Player_jump", "Player jump"},
        {"__fire__", "Fire"},
        {"player__aim", "Aim"},
        {"", ""},
        {"___", ""},
        {"ßprint", "SSprint"},
        {"étoile_filante", "Étoile filante"},
    };
    for (const auto& [name, shown] : cases)
        EXPECT_EQ(humanize(name), shown) << name.toStdString();
}
