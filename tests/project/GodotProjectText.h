#pragma once

// Input-map events as the Godot 3 and Godot 4 editors write them into "project.godot"
// (properties the launcher ignores shortened), for building fixtures.

#include <QString>
#include <QStringList>

namespace godot3 {

inline QString key(qint64 scancode, qint64 physical = 0) {
    return QString("Object(InputEventKey,\"resource_local_to_scene\":false,\"device\":0,"
                   "\"alt\":false,\"pressed\":false,\"scancode\":%1,\"physical_scancode\":%2,"
                   "\"unicode\":0,\"echo\":false,\"script\":null)")
        .arg(scancode)
        .arg(physical);
}

inline QString mouseButton(int index) {
    return QString("Object(InputEventMouseButton,\"device\":0,\"button_mask\":0,\"position\":"
                   "Vector2( 0, 0 ),\"factor\":1.0,\"button_index\":%1,\"pressed\":false,"
                   "\"doubleclick\":false,\"script\":null)")
        .arg(index);
}

inline QString action(const QString& name, const QStringList& events) {
    return name + "={\n\"deadzone\": 0.5,\n\"events\": [ " + events.join("\n, ") + "\n ]\n}\n";
}

} // namespace godot3

namespace godot4 {

// As 4.2 and later write it: usually a physical key with "keycode":0.
inline QString key(qint64 keycode, qint64 physical, qint64 label = 0) {
    return QString("Object(InputEventKey,\"resource_local_to_scene\":false,\"device\":-1,"
                   "\"window_id\":0,\"pressed\":false,\"keycode\":%1,\"physical_keycode\":%2,"
                   "\"key_label\":%3,\"unicode\":0,\"echo\":false,\"script\":null)")
        .arg(keycode)
        .arg(physical)
        .arg(label);
}

inline QString mouseButton(int index) {
    return QString("Object(InputEventMouseButton,\"device\":-1,\"window_id\":0,\"button_mask\":0,"
                   "\"position\":Vector2(0, 0),\"factor\":1.0,\"button_index\":%1,"
                   "\"canceled\":false,\"pressed\":false,\"double_click\":false,\"script\":null)")
        .arg(index);
}

inline QString joypadButton(int index) {
    return QString("Object(InputEventJoypadButton,\"device\":-1,\"button_index\":%1,"
                   "\"pressure\":0.0,\"pressed\":false,\"script\":null)")
        .arg(index);
}

inline QString joypadMotion(int axis) {
    return QString("Object(InputEventJoypadMotion,\"device\":-1,\"axis\":%1,\"axis_value\":-1.0,"
                   "\"script\":null)")
        .arg(axis);
}

inline QString mouseMotion() {
    return "Object(InputEventMouseMotion,\"device\":-1,\"button_mask\":0,\"position\":Vector2(0, "
           "0),\"tilt\":Vector2(0, 0),\"pressure\":0.0,\"script\":null)";
}

inline QString action(const QString& name, const QStringList& events) {
    return name + "={\n\"deadzone\": 0.5,\n\"events\": [" + events.join("\n, ") + "\n]\n}\n";
}

} // namespace godot4

// A project file around an input section (given without its header).
inline QString projectWithInput(int configVersion, const QString& inputSection) {
    return QString("; Engine configuration file.\n\nconfig_version=%1\n\n[application]\n\n"
                   "config/name=\"Fixture\"\n\n[input]\n\n%2\n[rendering]\n\n"
                   "quality/driver/driver_name=\"GLES2\"\n")
        .arg(configVersion)
        .arg(inputSection);
}
