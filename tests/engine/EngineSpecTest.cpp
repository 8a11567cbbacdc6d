#include "engine/EngineSpec.h"
#include "engine/ChecksumList.h"

#include "project/GameInfo.h"
#include "testkit/TestEnvironment.h"

TEST(EngineSpec, AssetNamesForEveryPlatformAndBuild) {
    using enum Platform;
    const std::tuple<Platform, EngineSpec, QString> cases[] = {
        {MacOS, {3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_osx.universal.zip"},
        {MacOS, {4, "4.2.1", false}, "Godot_v4.2.1-stable_macos.universal.zip"},
        {LinuxX86_64, {3, "3.5.3", false}, "Godot_v3.5.3-stable_x11.64.zip"},
        {LinuxX86_64, {3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_x11_64.zip"},
        {LinuxX86_64, {4, "4.3", true}, "Godot_v4.3-stable_mono_linux_x86_64.zip"},
        {LinuxArm64, {4, "4.2", false}, "Godot_v4.2-stable_linux.arm64.zip"},
        {LinuxArm64, {4, "4.2.2", true}, "Godot_v4.2.2-stable_mono_linux_arm64.zip"},
        {LinuxArm64, {4, "4.1.4", false}, ""},
        {LinuxArm64, {3, "3.5.3", false}, ""},
    };
    for (const auto& [platform, spec, asset] : cases) {
        EXPECT_EQ(spec.assetName(platform), asset) << spec.version;
        EXPECT_EQ(spec.archiveUrl(platform), asset.isEmpty() ? "" : spec.releaseBase() + asset);
        EXPECT_EQ(spec.unsupportedReason(platform).startsWith("Godot " + spec.version + " has no"),
                  asset.isEmpty());
    }
}

using EngineSpecTest = IsolatedTest;

TEST_F(EngineSpecTest, ChosenFromTheGameAndPublishedPerGeneration) {
    EXPECT_EQ(EngineSpec::forGame(nullptr), (EngineSpec{3, "3.5.3", false}));
    GameInfo info;
    info.engineMajor = 4;
    info.engineVersion = "4.4.1";
    info.usesCSharp = true;
    const EngineSpec dotnet = EngineSpec::forGame(&info);
    EXPECT_EQ(dotnet, (EngineSpec{4, "4.4.1", true}));
    EXPECT_EQ(dotnet.installFolder(),
              qEnvironmentVariable("XDG_DATA_HOME") + "/Brennick/Engine/godot-4.4.1-mono");
    EXPECT_EQ(dotnet.checksumUrl(), "http://127.0.0.1:9/godotengine/godot-builds/releases/download/"
                                    "4.4.1-stable/SHA512-SUMS.txt");
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:8123//");
    EXPECT_EQ(EngineSpec().releaseBase(),
              "http://127.0.0.1:8123/godotengine/godot/releases/download/3.5.3-stable/");
    qunsetenv("QUILLFIRE_HOSTING_URL");
    EXPECT_TRUE(EngineSpec().releaseBase().startsWith("https://github.com/godotengine/"));
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
}

TEST(ChecksumList, FindsTheAssetsDigest) {
    const QString asset = "Godot_v4.2.2-stable_linux.x86_64.zip";
    const QString a(128, 'a'), b(128, 'b');
    const std::pair<QString, std::optional<QString>> cases[] = {
        {a.toUpper() + " *" + asset + "\r\n", a},
        {"\n" + b + "\n" + b + "  Godot_v4.2.2-stable_win64.zip\n" + a + "\t" + asset, a},
        {a + "  " + asset + "\n" + b + "  " + asset + "\n", b},
        {a + "  " + asset.toLower() + "\n" + b + "  " + asset + ".txt", std::nullopt},
    };
    for (const auto& [text, digest] : cases)
        EXPECT_EQ(ChecksumList::digestFor(text, asset), digest) << text;
}
