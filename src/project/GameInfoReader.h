#pragma once

#include "project/GameInfo.h"

#include <QString>

namespace ProjectInspector {

// Everything the launcher needs to know about the game in `projectDir` (the
// folder holding "project.godot"). Never fails: missing pieces give defaults.
GameInfo inspect(const QString& projectDir);

namespace detail {

struct LicenseText {
    QString name;
    QString copyrightLine;
};

// The licence's name (its first line when not a common one) and its first "Copyright ..." line.
LicenseText readLicense(const QString& projectDir);

// The README's first line of prose: no heading, badge, image or rule.
QString summary(const QString& readmeText);

} // namespace detail

} // namespace ProjectInspector
