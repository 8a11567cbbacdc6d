#pragma once

#include <QString>

namespace ProjectInspector {

// The name of a common licence recognised by its wording ("MIT License", "Apache License 2.0");
// empty for any other text.
QString licenceName(const QString& licenceText);

} // namespace ProjectInspector
