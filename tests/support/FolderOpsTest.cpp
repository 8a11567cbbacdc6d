#include "support/FolderOps.h"
#include "support/UserError.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

using FolderOpsTest = IsolatedTest;

TEST_F(FolderOpsTest, AReplaceThatFailsPutsTheOldFolderBack) {
    testkit::writeFile(scratch(), "Game/old.txt", "old");
    EXPECT_THROW(FolderOps::replaceFolder(scratch() + "/missing", scratch() + "/Game"),
                 FileSystemError);
    EXPECT_EQ(QDir(scratch()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Game"});
    EXPECT_EQ(testkit::readFile(scratch() + "/Game/old.txt"), "old");
}
