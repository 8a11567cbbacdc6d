#pragma once

#include <QByteArray>

// The platform plugin, "xcb" or "wayland", whose display server takes a connection right now;
// empty when none does. Qt aborts the process when its platform cannot connect, so a stale
// DISPLAY or WAYLAND_DISPLAY must be caught before a QGuiApplication is made.
QByteArray answeringDisplayPlatform();
