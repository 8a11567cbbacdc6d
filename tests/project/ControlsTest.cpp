#include "project/Controls.h"

#include "testkit/TestEnvironment.h"

namespace {

using ProjectInspector::parseControls;

// An input-map event as the Godot editors write it: the properties the launcher reads, between
// some it ignores.
QString event(const QString& type, const QString& properties) {
    return QString("Object(InputEvent%1,\"resource_local_to_scene\":false,\"device\":-1,%2,"
                   "\"pressed\":false,\"script\":null)")
        .arg(type, properties);
}

QString input(const QString& actions) {
    return "config_version=5\n[application]\nconfig/name=\"Fixture\"\n[input]\n" + actions +
           "[rendering]\ndriver_name=\"GLES2\"\n";
}

QString action(const QString& name, const QStringList& events) {
    return name + "={\n\"deadzone\": 0.5,\n\"events\": [" + events.join("\n, ") + "\n]\n}\n";
}

QString keys(const QString& properties) {
    const QList<ControlEntry> entries =
        parseControls(input(action("act", {event("Key", properties)})));
    return entries.isEmpty() ? QString() : entries.first().keys;
}

TEST(Controls, EachEventFormatGivesItsLabel) {
    const std::tuple<const char*, QString, QString> cases[] = {
        {"Godot 3 scancode", "\"scancode\":87,\"physical_scancode\":0", "W"},
        {"Godot 3 physical key", "\"scancode\":0,\"physical_scancode\":16777232", "Up"},
        {"Godot 4 physical key", "\"keycode\":0,\"physical_keycode\":87,\"key_label\":0", "W"},
        {"Godot 4 label only", "\"keycode\":0,\"physical_keycode\":0,\"key_label\":4194320", "Up"},
        {"logical before physical", "\"keycode\":65,\"physical_keycode\":87", "A"},
        {"every code 0", "\"keycode\":0,\"physical_keycode\":0,\"key_label\":0", ""},
        {"too big to read", "\"keycode\":99999999999999999999,\"physical_keycode\":32", "Space"},
    };
    for (const auto& [what, properties, label] : cases)
        EXPECT_EQ(keys(properties), label) << what;
    const std::pair<QString, QString> others[] = {
        {event("MouseButton", "\"button_index\":1,\"doubleclick\":false"), "Left mouse button"},
        {event("MouseButton", "\"button_index\":5"), "Scroll down"},
        {event("MouseButton", "\"button_index\":6"), "Mouse button"},
        {event("JoypadMotion", "\"axis\":1,\"axis_value\":-1.0"), "Left stick"},
        {event("JoypadMotion", "\"axis\":2"), "Right stick"},
        {event("JoypadMotion", "\"axis\":5"), "Gamepad trigger"},
        {event("JoypadButton", "\"button_index\":11"), "Gamepad button 11"},
        {event("MouseMotion", "\"button_mask\":0"), ""},
    };
    for (const auto& [ev, label] : others) {
        const auto entries = parseControls(input(action("act", {ev})));
        EXPECT_EQ(entries.isEmpty() ? QString() : entries.first().keys, label) << ev;
    }
    const QString w = event("Key", "\"keycode\":0,\"physical_keycode\":87");
    EXPECT_EQ(parseControls(input(action("act", {w, event("JoypadMotion", "\"axis\":0"), w})))
                  .first()
                  .keys,
              "W / Left stick")
        << "labels in file order, without repeats";
}

TEST(Controls, ActionsOfTheInputSectionInFileOrder) {
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
    EXPECT_NE(entries[0].id, entries[1].id);
    EXPECT_TRUE(parseControls("config_version=4\n" + action("jump", {space})).isEmpty());
}

TEST(Controls, KeyLabelsAndActionNames) {
    const std::pair<qint64, QString> labels[] = {
        {32, "Space"}, {16777217, "Esc"}, {4194305, "Esc"}, {4194322, "Down"},
        {48, "0"},     {90, "Z"},         {58, "Key 58"},   {97, "Key 97"},
    };
    for (const auto& [code, label] : labels)
        EXPECT_EQ(ProjectInspector::detail::keyLabel(code), label) << code;
    const std::pair<QString, QString> names[] = {
        {"player_jump", "Jump"}, {"player", "Player"}, {"Player_jump", "Player jump"},
        {"player__aim", "Aim"},  {"___", ""},          {"ßprint", "SSprint"},
    };
    for (const auto& [name, shown] : names)
        EXPECT_EQ(ProjectInspector::detail::humanize(name), shown) << name;
}

} // namespace
