#include "engine/EngineSpec.h"

#include "download/Hosting.h"
#include "project/GameInfo.h"
#include "support/Paths.h"

#include <QVersionNumber>

EngineSpec EngineSpec::forGame(const GameInfo* info) {
    if (!info)
        return {};
    return {static_cast<int>(info->engineMajor), info->engineVersion, info->usesCSharp};
}

namespace {

QString linuxSuffix(const EngineSpec& spec, Platform platform) {
    const bool arm = platform == Platform::LinuxArm64;
    if (spec.major == 3)
        return spec.mono ? QStringLiteral("mono_x11_64.zip") : QStringLiteral("x11.64.zip");
    if (spec.mono)
        return arm ? QStringLiteral("mono_linux_arm64.zip")
                   : QStringLiteral("mono_linux_x86_64.zip");
    return arm ? QStringLiteral("linux.arm64.zip") : QStringLiteral("linux.x86_64.zip");
}

} // namespace

QString EngineSpec::unsupportedReason(Platform platform) const {
    if (platform != Platform::LinuxArm64)
        return {};
    const QVersionNumber armSince(4, 2);
    if (major == 3 || QVersionNumber::fromString(version) < armSince)
        return QStringLiteral("Godot %1 has no official build for 64-bit ARM Linux, so this "
                              "game can't be set up on this computer.")
            .arg(version);
    return {};
}

QString EngineSpec::assetName(Platform platform) const {
    if (!unsupportedReason(platform).isEmpty())
        return {};
    QString suffix;
    if (platform == Platform::MacOS)
        suffix = (mono ? QStringLiteral("mono_") : QString()) +
                 (major == 3 ? QStringLiteral("osx.universal.zip")
                             : QStringLiteral("macos.universal.zip"));
    else
        suffix = linuxSuffix(*this, platform);
    return QStringLiteral("Godot_v") + version + QStringLiteral("-stable_") + suffix;
}

QString EngineSpec::releaseBase() const {
    const QString repo = major == 3
                             ? QStringLiteral("/godotengine/godot/releases/download/")
                             : QStringLiteral("/godotengine/godot-builds/releases/download/");
    return Hosting::baseUrl() + repo + version + QStringLiteral("-stable/");
}

QString EngineSpec::archiveUrl(Platform platform) const {
    // Without an asset there is nothing to download, not the release folder.
    const QString asset = assetName(platform);
    return asset.isEmpty() ? QString() : releaseBase() + asset;
}

QString EngineSpec::checksumUrl() const {
    return releaseBase() + QStringLiteral("SHA512-SUMS.txt");
}

QString EngineSpec::installFolderName() const {
    return QStringLiteral("godot-") + version + (mono ? QStringLiteral("-mono") : QString());
}

QString EngineSpec::installFolder() const {
    return Paths::engineFolder() + QLatin1Char('/') + installFolderName();
}
