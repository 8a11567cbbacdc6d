#include "support/FolderOps.h"
#include "support/UserError.h"
#include "testkit/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using FolderOpsTest = IsolatedTest;

QStringList names(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

TEST_F(FolderOpsTest, AFailedReplaceKeepsTheOldFolder) {
    testkit::writeFile(scratch(), "Game/old.txt", "old");
    EXPECT_THROW(FolderOps::replaceFolder(scratch() + "/missing", scratch() + "/Game"),
                 FileSystemError);
    EXPECT_EQ(names(scratch()), QStringList{"Game"});
    EXPECT_EQ(names(scratch() + "/Game"), QStringList{"old.txt"});
}

} // namespace
