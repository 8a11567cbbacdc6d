#include "engine/EngineSpec.h"

#include "project/GameInfo.h"
#include "testkit/TestEnvironment.h"

#include <QScopeGuard>

#include <gtest/gtest.h>

TEST(EngineSpec, AssetNamesForEveryPlatformAndBuild) {
    using enum Platform;
    const std::tuple<Platform, EngineSpec, QString> cases[] = {
        {MacOS, {3, "3.5.3", false}, "Godot_v3.5.3-stable_osx.universal.zip"},
        {MacOS, {3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_osx.universal.zip"},
        {MacOS, {4, "4.2.1", true}, "Godot_v4.2.1-stable_mono_macos.universal.zip"},
        {LinuxX86_64, {3, "3.5.3", false}, "Godot_v3.5.3-stable_x11.64.zip"},
        {LinuxX86_64, {3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_x11_64.zip"},
        {LinuxX86_64, {4, "4.0.4", false}, "Godot_v4.0.4-stable_linux.x86_64.zip"},
        {LinuxX86_64, {4, "4.3", true}, "Godot_v4.3-stable_mono_linux_x86_64.zip"},
        {LinuxArm64, {4, "4.2", false}, "Godot_v4.2-stable_linux.arm64.zip"},
        {LinuxArm64, {4, "4.2.2", true}, "Godot_v4.2.2-stable_mono_linux_arm64.zip"},
        {LinuxArm64, {4, "4.10", false}, "Godot_v4.10-stable_linux.arm64.zip"},
        {LinuxArm64, {4, "4.1.4", false}, ""},
        {LinuxArm64, {3, "3.5.3", false}, ""},
    };
    for (const auto& [platform, spec, asset] : cases) {
        SCOPED_TRACE(asset.isEmpty() ? spec.version.toStdString() : asset.toStdString());
        EXPECT_EQ(spec.assetName(platform), asset);
        const QString reason = spec.unsupportedReason(platform);
        EXPECT_EQ(reason.isEmpty(), !asset.isEmpty());
        EXPECT_EQ(spec.archiveUrl(platform),
                  asset.isEmpty() ? QString() : spec.releaseBase() + asset);
        if (!reason.isEmpty()) {
            EXPECT_TRUE(reason.startsWith("Godot " + spec.version + " has no official build"));
        }
    }
}

TEST(EngineSpec, ReleasesComeFromTheMainRepositoryOnlyForGodot3) {
    const QByteArray before = qgetenv("QUILLFIRE_HOSTING_URL");
    const auto restore = qScopeGuard([&] { qputenv("QUILLFIRE_HOSTING_URL", before); });
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:8123//");
    EXPECT_EQ(EngineSpec({3, "3.5.3", true}).releaseBase(),
              "http://127.0.0.1:8123/godotengine/godot/releases/download/3.5.3-stable/");
    EXPECT_EQ(EngineSpec({4, "4.2.1", false}).checksumUrl(),
              "http://127.0.0.1:8123/godotengine/godot-builds/releases/download/4.2.1-stable/"
              "SHA512-SUMS.txt");
    qunsetenv("QUILLFIRE_HOSTING_URL");
    EXPECT_EQ(EngineSpec().releaseBase(),
              "https://github.com/godotengine/godot/releases/download/3.5.3-stable/");
}

TEST(EngineSpec, ChosenFromTheGameAndInstalledSideBySide) {
    EXPECT_EQ(EngineSpec::forGame(nullptr), (EngineSpec{3, "3.5.3", false}));
    GameInfo info;
    info.engineMajor = 4;
    info.engineVersion = "4.4.1";
    info.usesCSharp = true;
    const EngineSpec dotnet = EngineSpec::forGame(&info);
    EXPECT_EQ(dotnet, (EngineSpec{4, "4.4.1", true}));
    EXPECT_EQ(dotnet.installFolderName(), "godot-4.4.1-mono");
    EXPECT_EQ(EngineSpec({4, "4.4.1", false}).installFolder(),
              qEnvironmentVariable("XDG_DATA_HOME") + "/Brennick/Engine/godot-4.4.1");
}
