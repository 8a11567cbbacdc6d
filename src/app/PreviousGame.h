#pragma once

// One step back: the game an update replaced stays beside the new one (with its import marker,
// see RepoDownloader::fetchGame) until the next update replaces it, so that a worse new version
// can be undone.
namespace PreviousGame {

// Whether an earlier version is kept.
bool exists();

// The previous version and the current one change places, so that going back can be undone.
// Throws a FileSystem problem; the game is then as it was.
void swapBack();

} // namespace PreviousGame
