#pragma once

// What a launcher that was killed may have left behind: the game's and the engine's staging
// folders and the folders set aside while one replaced another, and its own temporary download
// folders of more than a day ago. Removed at a start that holds the instance lock.
namespace Leftovers {

void remove();

} // namespace Leftovers
