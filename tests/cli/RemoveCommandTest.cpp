#include "CommandRun.h"

#include "support/InstanceLock.h"
#include "support/Paths.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

using RemoveCommand = IsolatedTest;

TEST_F(RemoveCommand, RemovesOnlyWhileNoOtherLauncherHoldsTheFolders) {
    testkit::writeFile(Paths::gameFolder(), "project.godot", "config_version=4\n");
    {
        InstanceLock window;
        ASSERT_TRUE(window.tryLock());
        const CommandRun refused = quillfire({"remove", "--yes"});
        EXPECT_EQ(refused.code, 1);
        EXPECT_EQ(refused.err, QString("Quillfire is already running (process %1). Close it, or "
                                       "wait until it has finished.\n")
                                   .arg(QCoreApplication::applicationPid()));
        EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder()));
    }
    const CommandRun run = quillfire({"remove", "--yes"});
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith("Removed the game and the engine. Saved games are kept.\n"))
        << run.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
}
