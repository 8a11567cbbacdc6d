#include "engine/EngineSpec.h"

#include "project/GameInfo.h"
#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

struct AssetCase {
    Platform platform;
    int major;
    QString version;
    bool mono;
    QString asset; // empty: no official build
};

// Sets QUILLFIRE_HOSTING_URL for one scope.
class HostingUrl {
public:
    explicit HostingUrl(const QByteArray& url) : saved_(qgetenv("QUILLFIRE_HOSTING_URL")) {
        if (url.isNull())
            qunsetenv("QUILLFIRE_HOSTING_URL");
        else
            qputenv("QUILLFIRE_HOSTING_URL", url);
    }
    ~HostingUrl() { qputenv("QUILLFIRE_HOSTING_URL", saved_); }

private:
    QByteArray saved_;
};

} // namespace

TEST(EngineSpec, AssetNamesForEveryPlatformAndBuild) {
    using enum Platform;
    const QList<AssetCase> cases{
        {MacOS, 3, "3.5.3", false, "Godot_v3.5.3-stable_osx.universal.zip"},
        {MacOS, 3, "3.5.3", true, "Godot_v3.5.3-stable_mono_osx.universal.zip"},
        {MacOS, 4, "4.2.1", false, "Godot_v4.2.1-stable_macos.universal.zip"},
        {MacOS, 4, "4.2.1", true, "Godot_v4.2.1-stable_mono_macos.universal.zip"},
        {MacOS, 5, "5.0", false, "Godot_v5.0-stable_macos.universal.zip"},
        {LinuxX86_64, 3, "3.5.3", false, "Godot_v3.5.3-stable_x11.64.zip"},
        {LinuxX86_64, 3, "3.5.3", true, "Godot_v3.5.3-stable_mono_x11_64.zip"},
        {LinuxX86_64, 4, "4.0.4", false, "Godot_v4.0.4-stable_linux.x86_64.zip"},
        {LinuxX86_64, 4, "4.3", true, "Godot_v4.3-stable_mono_linux_x86_64.zip"},
        {LinuxArm64, 4, "4.2", false, "Godot_v4.2-stable_linux.arm64.zip"},
        {LinuxArm64, 4, "4.2.2", true, "Godot_v4.2.2-stable_mono_linux_arm64.zip"},
        {LinuxArm64, 4, "4.10", false, "Godot_v4.10-stable_linux.arm64.zip"},
        {LinuxArm64, 4, "4.1.4", false, ""},
        {LinuxArm64, 4, "4.0.4", true, ""},
        {LinuxArm64, 3, "3.5.3", false, ""},
        {LinuxArm64, 3, "3.5.3", true, ""},
    };
    for (const AssetCase& c : cases) {
        const EngineSpec spec{c.major, c.version, c.mono};
        const std::string what = QString("%1 %2 mono=%3 platform=%4")
                                     .arg(c.major)
                                     .arg(c.version)
                                     .arg(c.mono)
                                     .arg(int(c.platform))
                                     .toStdString();
        EXPECT_EQ(spec.assetName(c.platform), c.asset) << what;
        const QString reason = spec.unsupportedReason(c.platform);
        if (c.asset.isEmpty()) {
            EXPECT_TRUE(reason.contains("Godot " + c.version)) << what << reason.toStdString();
            EXPECT_TRUE(reason.endsWith('.')) << what;
            EXPECT_EQ(spec.archiveUrl(c.platform), QString()) << what;
        } else {
            EXPECT_EQ(reason, QString()) << what;
            EXPECT_EQ(spec.archiveUrl(c.platform), spec.releaseBase() + c.asset) << what;
        }
    }
}

TEST(EngineSpec, ReleasesComeFromTheMainRepositoryOnlyForGodot3) {
    const HostingUrl hosting("http://127.0.0.1:8123//");
    const QString base = "http://127.0.0.1:8123";
    EXPECT_EQ(EngineSpec({3, "3.5.3", true}).releaseBase(),
              base + "/godotengine/godot/releases/download/3.5.3-stable/");
    EXPECT_EQ(EngineSpec({4, "4.2.1", false}).releaseBase(),
              base + "/godotengine/godot-builds/releases/download/4.2.1-stable/");
    EXPECT_EQ(EngineSpec({4, "4.2.1", true}).checksumUrl(),
              base + "/godotengine/godot-builds/releases/download/4.2.1-stable/SHA512-SUMS.txt");
    EXPECT_EQ(EngineSpec({3, "3.5.3", false}).archiveUrl(Platform::LinuxX86_64),
              base + "/godotengine/godot/releases/download/3.5.3-stable/"
                     "Godot_v3.5.3-stable_x11.64.zip");
}

TEST(EngineSpec, TheOfficialHostWithoutAMirror) {
    const HostingUrl hosting(QByteArray{});
    EXPECT_EQ(
        EngineSpec().checksumUrl(),
        "https://github.com/godotengine/godot/releases/download/3.5.3-stable/SHA512-SUMS.txt");
}

using EngineSpecFolders = IsolatedTest;

TEST_F(EngineSpecFolders, StandardAndDotNetBuildsInstallSideBySide) {
    const EngineSpec standard{4, "4.2.2", false};
    const EngineSpec dotnet{4, "4.2.2", true};
    EXPECT_EQ(standard.installFolderName(), "godot-4.2.2");
    EXPECT_EQ(dotnet.installFolderName(), "godot-4.2.2-mono");
    EXPECT_EQ(standard.installFolder(), dataHome() + "/Brennick/Engine/godot-4.2.2");
    EXPECT_EQ(dotnet.installFolder(), dataHome() + "/Brennick/Engine/godot-4.2.2-mono");
}

TEST(EngineSpec, ChosenFromTheGameOrTheDefault) {
    EXPECT_EQ(EngineSpec::forGame(nullptr), (EngineSpec{3, "3.5.3", false}));
    GameInfo info;
    info.engineMajor = 4;
    info.engineVersion = "4.4.1";
    info.usesCSharp = true;
    EXPECT_EQ(EngineSpec::forGame(&info), (EngineSpec{4, "4.4.1", true}));
}
