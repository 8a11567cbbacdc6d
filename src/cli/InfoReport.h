#pragma once

#include "project/GameInfo.h"
#include "support/Platform.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// What `quillfire info` prints about a game: its facts, what was installed and whether a newer
// version exists (nothing when unknown), the engine build it needs on `platform`, and the
// launcher's folders.
QJsonObject infoJson(const GameInfo& info, std::optional<bool> updateAvailable, Platform platform);
QString infoText(const GameInfo& info, std::optional<bool> updateAvailable, Platform platform);
