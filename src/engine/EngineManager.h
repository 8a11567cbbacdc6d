#pragma once

#include "download/FileDownloader.h"
#include "engine/EngineSpec.h"
#include "support/FolderOps.h"

#include <QString>

#include <optional>

class CancelToken;
class LogStore;

// Gets the Godot build a game needs onto the computer and finds its program.
namespace EngineManager {

// Downloads the build, checks it against Godot's published SHA-512 list, unpacks it into a
// staging folder and only then swaps it into its install folder. Throws a Problem (its
// sentence is for the player) or Cancelled; an
// earlier install of the same build survives every failure. Blocking; call it off the GUI thread.
void install(const EngineSpec& spec, const MakeDownloader& makeDownloader, LogStore& log,
             CancelToken& token);
// The same for an explicit platform; install() passes the host's.
void install(const EngineSpec& spec, Platform platform, const MakeDownloader& makeDownloader,
             LogStore& log, CancelToken& token);
// The same up to the swap, which is the caller's (a reinstall swaps game and engine together).
StagedFolder stage(const EngineSpec& spec, Platform platform, const MakeDownloader& makeDownloader,
                   LogStore& log, CancelToken& token);

// The installed build's program, or nothing when the build is not (properly) installed.
std::optional<QString> executable(const EngineSpec& spec);

} // namespace EngineManager
