#include "support/Paths.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using PathsTest = IsolatedTest;

TEST_F(PathsTest, SupportRootIsBrennickInTheDataFolder) {
    EXPECT_EQ(Paths::supportRoot(), dataHome() + QStringLiteral("/Brennick"));
    EXPECT_EQ(Paths::gameFolder(), dataHome() + QStringLiteral("/Brennick/Game"));
    EXPECT_FALSE(QDir(Paths::supportRoot()).exists()) << "looking it up must not create it";
}

TEST(Paths, SavesFolderFollowsTheEngineNamingOnEachPlatform) {
    EXPECT_EQ(Paths::savesFolderFor(Platform::LinuxX86_64, "/home/u", "", "My Game"),
              QStringLiteral("/home/u/.local/share/godot/app_userdata/My Game"));
    EXPECT_EQ(Paths::savesFolderFor(Platform::LinuxArm64, "/home/u", "/xdg", "Brennick"),
              QStringLiteral("/xdg/godot/app_userdata/Brennick"));
    EXPECT_EQ(Paths::savesFolderFor(Platform::LinuxX86_64, "/home/u", "relative/ignored", "G"),
              QStringLiteral("/home/u/.local/share/godot/app_userdata/G"));
    EXPECT_EQ(Paths::savesFolderFor(Platform::MacOS, "/Users/u", "/xdg", "My Game"),
              QStringLiteral("/Users/u/Library/Application Support/Godot/app_userdata/My Game"));
    EXPECT_EQ(Paths::savesFolderFor(Platform::LinuxX86_64, "/h", "/d", "a:b*c?d\"e<f>g|h/i\\j"),
              QStringLiteral("/d/godot/app_userdata/a-b-c-d-e-f-g-h-i-j"));
}

TEST_F(PathsTest, FolderSizeCountsRegularFilesHiddenOnesTooButNotLinks) {
    EXPECT_EQ(Paths::folderSize(scratch() + QStringLiteral("/missing")), 0);
    testkit::writeFile(scratch(), "tree/a.bin", QByteArray(5, 'x'));
    testkit::writeFile(scratch(), "tree/.hidden/b.bin", QByteArray(7, 'y'));
    QDir().mkpath(scratch() + QStringLiteral("/tree/empty"));
    testkit::writeFile(scratch(), "outside/big.bin", QByteArray(10000, 'z'));
    ASSERT_TRUE(QFile::link(scratch() + QStringLiteral("/outside/big.bin"),
                            scratch() + QStringLiteral("/tree/link.bin")));
    ASSERT_TRUE(QFile::link(scratch() + QStringLiteral("/outside"),
                            scratch() + QStringLiteral("/tree/linkdir")));
    EXPECT_EQ(Paths::folderSize(scratch() + QStringLiteral("/tree")), 12);
}
