#include "project/Controls.h"

#include "project/GodotProjectText.h"
#include "testkit/TestEnvironment.h"

#include <QSet>

#include <gtest/gtest.h>

using ProjectInspector::parseControls;

namespace {

// The keys text of one action bound to `events`; empty when it gives no entry.
QString keysFor(int configVersion, const QStringList& events) {
    const QString section =
        configVersion > 4 ? godot4::action("act", events) : godot3::action("act", events);
    const QList<ControlEntry> entries = parseControls(projectWithInput(configVersion, section));
    return entries.isEmpty() ? QString() : entries.first().keys;
}

} // namespace

TEST(Controls, EachEventFormatGivesItsLabel) {
    const std::tuple<const char*, int, QString, QString> cases[] = {
        {"Godot 3 scancode", 4, godot3::key(87), "W"},
        {"Godot 3 physical key", 4, godot3::key(0, 16777232), "Up"},
        {"Godot 4 physical key with keycode 0", 5, godot4::key(0, 87), "W"},
        {"Godot 4 key known only by its label", 5, godot4::key(0, 0, 4194320), "Up"},
        {"the logical code decides over the physical one", 5, godot4::key(65, 87), "A"},
        {"every code 0", 5, godot4::key(0, 0, 0), ""},
        {"a logical code too big to read falls back", 5,
         godot4::key(0, 32).replace("\"keycode\":0", "\"keycode\":99999999999999999999"), "Space"},
        {"Godot 3 left mouse button", 4, godot3::mouseButton(1), "Left mouse button"},
        {"wheel down", 5, godot4::mouseButton(5), "Scroll down"},
        {"extra mouse button", 5, godot4::mouseButton(6), "Mouse button"},
        {"left stick", 5, godot4::joypadMotion(1), "Left stick"},
        {"right stick", 5, godot4::joypadMotion(2), "Right stick"},
        {"trigger", 5, godot4::joypadMotion(5), "Gamepad trigger"},
        {"gamepad button", 5, godot4::joypadButton(11), "Gamepad button 11"},
        {"mouse motion is not shown", 5, godot4::mouseMotion(), ""},
    };
    for (const auto& [what, configVersion, event, label] : cases)
        EXPECT_EQ(keysFor(configVersion, {event}), label) << what;
    EXPECT_EQ(keysFor(5, {godot4::key(0, 87), godot4::key(0, 4194320), godot4::key(87, 0),
                          godot4::joypadMotion(0), godot4::mouseMotion()}),
              "W / Up / Left stick")
        << "labels in file order, without repeats";
}

TEST(Controls, ActionsOfTheInputSectionInFileOrder) {
    const QString input =
        godot4::action("move_forward", {godot4::key(0, 87)}) +
        godot4::action("ui_accept", {godot4::key(0, 4194309)}) + "dash={ \"events\": [" +
        godot4::key(0, 4194325) + "] }\n" + // all on one line
        godot4::action("player_jump", {godot4::key(0, 32)}) +
        godot4::action("\"shoot\"", {godot4::mouseButton(1)}) + // quoted: not a header
        " crouch={\n" + godot4::key(0, 4194326) + "\n}\n";      // indented: belongs above
    QString text =
        projectWithInput(5, input) + "[other]\n" + godot4::action("fire", {godot4::mouseButton(1)});
    text.replace("\n", "\r\n");
    const QList<ControlEntry> entries = parseControls(text);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].action, "Move forward");
    EXPECT_EQ(entries[0].keys, "W");
    EXPECT_EQ(entries[1].action, "Jump");
    EXPECT_EQ(entries[1].keys, "Space / Left mouse button / Ctrl");
    EXPECT_NE(entries[0].id, entries[1].id);
    EXPECT_TRUE(
        parseControls("config_version=4\n" + godot3::action("jump", {godot3::key(32)})).isEmpty())
        << "no [input] section";
}

TEST(Controls, KeyLabelsAndActionNames) {
    using ProjectInspector::detail::humanize;
    using ProjectInspector::detail::keyLabel;
    const std::pair<qint64, QString> keys[] = {
        {32, "Space"},  {16777217, "Esc"}, {4194305, "Esc"},         {4194322, "Down"},
        {48, "0"},      {90, "Z"},         {47, "Key 47"},           {97, "Key 97"},
        {58, "Key 58"}, {16777240, "Alt"}, {4194327, "Key 4194327"},
    };
    for (const auto& [code, label] : keys)
        EXPECT_EQ(keyLabel(code), label) << code;
    const std::pair<QString, QString> names[] = {
        {"player_jump", "Jump"},        {"player", "Player"},
        {"Player_jump", "Player jump"}, {"__fire__", "Fire"},
        {"player__aim", "Aim"},         {"___", ""},
        {"ßprint", "SSprint"},          {"étoile_filante", "Étoile filante"},
    };
    for (const auto& [name, shown] : names)
        EXPECT_EQ(humanize(name), shown) << name.toStdString();
}
