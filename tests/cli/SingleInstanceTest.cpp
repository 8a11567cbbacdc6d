// Opening the launcher again while its window is open shows that window; commands that
// change the folders wait their turn instead of racing it.
#include "LauncherProcess.h"

#include "testkit/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>

using SingleInstance = IsolatedTest;

TEST_F(SingleInstance, ASecondLaunchHandsOverToTheOpenWindow) {
    const QString config = scratch() + QStringLiteral("/config");
    LauncherProcess window(dataHome(), config, {});
    ASSERT_TRUE(window.waitUntilCatching(SIGTERM, 30'000)) << window.output().toStdString();

    LauncherProcess again(dataHome(), config, {});
    EXPECT_EQ(again.waitForExit(15'000), 0) << again.output().toStdString();

    for (const QStringList& command :
         {QStringList{QStringLiteral("setup")},
          QStringList{QStringLiteral("remove"), QStringLiteral("--yes")}}) {
        LauncherProcess busy(dataHome(), config, command);
        EXPECT_EQ(busy.waitForExit(15'000), 1) << command.first().toStdString();
        EXPECT_EQ(busy.output(), QStringLiteral("Quillfire is already running (process %1). Close "
                                                "it, or wait until it has finished.\n")
                                     .arg(window.pid()))
            << command.first().toStdString();
    }

    window.signal(SIGTERM);
    ASSERT_EQ(window.waitForExit(15'000), 0);
    LauncherProcess next(dataHome(), config, {});
    EXPECT_TRUE(next.waitUntilCatching(SIGTERM, 30'000)) << "the lock ends with its window";
}
