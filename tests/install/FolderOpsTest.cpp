#include "support/FolderOps.h"
#include "support/UserError.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

using FolderOpsTest = IsolatedTest;

QStringList names(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

TEST_F(FolderOpsTest, ReplaceSwapsTheStagingFolderIn) {
    testkit::writeFile(scratch(), "Game/old.txt", "old");
    testkit::writeFile(scratch(), "Game.staging/new.txt", "new");
    FolderOps::replaceFolder(scratch() + "/Game.staging", scratch() + "/Game");
    EXPECT_EQ(names(scratch()), QStringList{"Game"});
    EXPECT_EQ(names(scratch() + "/Game"), QStringList{"new.txt"});

    testkit::writeFile(scratch(), "fresh/a.txt", "a");
    FolderOps::replaceFolder(scratch() + "/fresh", scratch() + "/Other");
    EXPECT_EQ(names(scratch()), (QStringList{"Game", "Other"}));
}

TEST_F(FolderOpsTest, AFailedReplaceKeepsTheOldFolder) {
    testkit::writeFile(scratch(), "Game/old.txt", "old");
    EXPECT_THROW(FolderOps::replaceFolder(scratch() + "/missing", scratch() + "/Game"),
                 FileSystemError);
    EXPECT_EQ(names(scratch()), QStringList{"Game"});
    EXPECT_EQ(names(scratch() + "/Game"), QStringList{"old.txt"});
}

TEST_F(FolderOpsTest, EmptyFolderAndCleanupLeaveWhatTheySay) {
    testkit::writeFile(scratch(), "Game.staging/leftover/deep.txt", "x");
    FolderOps::makeEmptyFolder(scratch() + "/Game.staging");
    EXPECT_TRUE(QFileInfo(scratch() + "/Game.staging").isDir());
    EXPECT_TRUE(names(scratch() + "/Game.staging").isEmpty());
    { FolderCleanup cleanup(scratch() + "/Game.staging"); }
    EXPECT_FALSE(QFileInfo::exists(scratch() + "/Game.staging"));
    testkit::writeFile(scratch(), "kept/a.txt", "a");
    {
        FolderCleanup cleanup(scratch() + "/kept");
        cleanup.release();
    }
    EXPECT_TRUE(QFileInfo::exists(scratch() + "/kept/a.txt"));
}

} // namespace
