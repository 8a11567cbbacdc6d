#pragma once

#include "support/Platform.h"

#include <QString>

#include <optional>

// Where an unpacked Godot build keeps its program.
namespace ProgramLookup {

// The engine program in `installFolder` for the build published as `assetName` on `platform`,
// or nothing when it is missing or cannot be run.
//
// Linux: a standard build is one program at the root, named like the asset without ".zip"; a
// .NET build is one folder of that name holding the program, whose name has "mono_linux." or
// "mono_x11." where the folder has "mono_linux_" or "mono_x11_". A program whose execute bit
// was lost in the zip gets it back.
// macOS: the first ".app" bundle (by name) and the program its Contents/Info.plist declares
// (CFBundleExecutable) in Contents/MacOS, when it is executable.
std::optional<QString> find(const QString& installFolder, const QString& assetName,
                            Platform platform);

} // namespace ProgramLookup
