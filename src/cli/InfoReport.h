#pragma once

#include "project/GameInfo.h"
#include "support/Platform.h"

#include <QJsonObject>
#include <QString>

// What `quillfire info` prints about a game: its facts, the engine build it
// needs on `platform`, and the launcher's folders.
QJsonObject infoJson(const GameInfo& info, Platform platform);
QString infoText(const GameInfo& info, Platform platform);
