#pragma once

#include "support/Platform.h"

#include <QString>

#include <optional>

struct GameInfo;

// The official Godot build a game needs, and how that build is named and published.
struct EngineSpec {
    int major = 3;
    QString version = QStringLiteral("3.5.3");
    bool mono = false;

    // The build for a game's facts; without a game, the standard Godot 3.5.3.
    static EngineSpec forGame(const GameInfo* info);

    // Release asset file name for `platform`; empty when no official build exists.
    QString assetName(Platform platform = hostPlatform()) const;
    // Why no official build exists for `platform`, as a sentence; empty when one does.
    QString unsupportedReason(Platform platform = hostPlatform()) const;

    QString releaseBase() const;
    // The asset's download address; empty when no official build exists.
    QString archiveUrl(Platform platform = hostPlatform()) const;
    QString checksumUrl() const;

    // "godot-" + version (+ "-mono"), inside Paths::engineFolder().
    QString installFolderName() const;
    QString installFolder() const;

    friend bool operator==(const EngineSpec&, const EngineSpec&) = default;
};
