#pragma once

#include <QString>

class LogStore;

// The hip-fire change to the game's scripts: the gun also fires, less
// accurately, when the player is not aiming.
namespace GamePatch {

// Changes the player and bullet scripts below `projectDir` (both or neither)
// and logs one outcome line. True when the change is in place afterwards,
// including when it already was (then nothing is logged). Blocks on file I/O.
bool applyHipFire(const QString& projectDir, LogStore& log);

} // namespace GamePatch
