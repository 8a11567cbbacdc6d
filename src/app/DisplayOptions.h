#pragma once

#include <QSizeF>
#include <QString>

#include <optional>

// A 16:9 game window size ("WxH") that fits the screen's free area, or empty
// when there is no screen or the fitted size would be below 640x360.
QString fitResolution(std::optional<QSizeF> screenArea);
