#pragma once

#include "project/ControlEntry.h"

#include <QList>
#include <QString>

namespace ProjectInspector {

// The controls table from the [input] section of a project file: one entry per
// action that has at least one recognisable input, in file order. Actions named
// "ui_..." (the engine's own) are left out.
QList<ControlEntry> parseControls(const QString& projectText);

namespace detail {

// "W", "Space", "Up", ... for an engine key code; "Key <code>" for unnamed keys.
QString keyLabel(qint64 code);

// An input-map action name as a player reads it: "player_move_left" -> "Move left".
QString humanize(const QString& actionName);

} // namespace detail

} // namespace ProjectInspector
