#pragma once

#include <QString>

#include <optional>

// Godot's published checksum list: lines of a hexadecimal digest, white space and an asset
// name, the name possibly marked "*" (binary mode) by the tool that wrote it.
namespace ChecksumList {

// The digest listed for `assetName` (exact, case-sensitive match), in lower case; when several
// lines name the asset, the last one counts. Nothing when no line names it.
std::optional<QString> digestFor(const QString& text, const QString& assetName);

} // namespace ChecksumList
