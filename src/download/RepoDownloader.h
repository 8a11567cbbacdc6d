#pragma once

#include "download/FileDownloader.h"
#include "project/InstalledVersion.h"
#include "support/FolderOps.h"

#include <QString>

class CancelToken;
class LogStore;

// Puts a fresh copy of the game's files on disk from the game repository's branch archive.
namespace RepoDownloader {

// The archive of one branch on the code-hosting service.
QString archiveUrl(const QString& branch);

// Downloads the "main" branch's archive (the "master" one when "main" answers 404), unpacks it
// into "Game.staging", checks that it holds a Godot project and only then swaps it in as "Game";
// the game it replaces is kept as "Game.previous" unless it was the same commit.
// Throws a Problem (its sentence is for the player) or Cancelled; an existing "Game" folder
// survives every failure. Blocking; call it off the GUI thread.
void fetchGame(const MakeDownloader& makeDownloader, LogStore& log, CancelToken& token);
// A game unpacked beside the installed one, with its record (already written in the folder).
struct StagedGame {
    StagedFolder folder;
    InstalledVersion version;
};
// The same up to the swap, which is the caller's (a reinstall swaps game and engine together).
StagedGame stageGame(const MakeDownloader& makeDownloader, LogStore& log, CancelToken& token);

} // namespace RepoDownloader
