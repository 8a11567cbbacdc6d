#pragma once

#include <QString>

// How far the engine's import of a project has got, read from its sidecar
// files ("<asset>.import", whose dest_files list names the imported copies).
struct ImportState {
    int total = 0;   // sidecars naming at least one "res://" destination
    int missing = 0; // destinations named by those sidecars that are not on disk

    bool allPresent() const { return total >= 1 && missing == 0; }
};

// Walks `project`, skipping hidden files and folders and never following a
// symbolic link, and counts its sidecars. A project that cannot be read is (0, 0).
ImportState readImportState(const QString& project);
