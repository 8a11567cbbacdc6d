#include "support/Paths.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using PathsTest = IsolatedTest;

TEST_F(PathsTest, TheLauncherFolderIsBrennickInTheDataFolderAndNotCreatedByLookingItUp) {
    EXPECT_EQ(Paths::gameFolder(), dataHome() + QStringLiteral("/Brennick/Game"));
    EXPECT_FALSE(QDir(Paths::supportRoot()).exists());
}

TEST(Paths, SavesFolderFollowsTheEngineNamingOnEachPlatform) {
    const std::tuple<Platform, QString, QString, QString> cases[] = {
        {Platform::LinuxX86_64, "", "My Game", "/home/u/.local/share/godot/app_userdata/My Game"},
        {Platform::LinuxArm64, "/xdg", "Brennick", "/xdg/godot/app_userdata/Brennick"},
        {Platform::LinuxX86_64, "relative", "G", "/home/u/.local/share/godot/app_userdata/G"},
        {Platform::MacOS, "/xdg", "G", "/home/u/Library/Application Support/Godot/app_userdata/G"},
        {Platform::LinuxX86_64, "/d", "a:b*c?d\"e<f>g|h/i\\j",
         "/d/godot/app_userdata/a-b-c-d-e-f-g-h-i-j"},
    };
    for (const auto& [platform, dataHome, name, folder] : cases)
        EXPECT_EQ(Paths::savesFolderFor(platform, "/home/u", dataHome, name), folder) << name;
}

TEST_F(PathsTest, FolderSizeCountsRegularFilesHiddenOnesTooButNotLinks) {
    EXPECT_EQ(Paths::folderSize(scratch() + QStringLiteral("/missing")), 0);
    testkit::writeFile(scratch(), "tree/a.bin", QByteArray(5, 'x'));
    testkit::writeFile(scratch(), "tree/.hidden/b.bin", QByteArray(7, 'y'));
    testkit::writeFile(scratch(), "outside/big.bin", QByteArray(10000, 'z'));
    ASSERT_TRUE(QFile::link(scratch() + "/outside/big.bin", scratch() + "/tree/link.bin"));
    ASSERT_TRUE(QFile::link(scratch() + "/outside", scratch() + "/tree/linkdir"));
    EXPECT_EQ(Paths::folderSize(scratch() + QStringLiteral("/tree")), 12);
}
