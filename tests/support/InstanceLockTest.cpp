#include "support/InstanceLock.h"

#include "support/Paths.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

using InstanceLockTest = IsolatedTest;

TEST_F(InstanceLockTest, OneHolderAtATimeAndItsProcessIsNamed) {
    auto first = std::make_unique<InstanceLock>();
    ASSERT_TRUE(first->tryLock());
    EXPECT_EQ(QFileInfo(InstanceLock::path()).absolutePath(),
              QFileInfo(Paths::supportRoot()).absolutePath())
        << "beside the launcher's folder, so removing that folder keeps the lock";

    InstanceLock second;
    EXPECT_FALSE(second.tryLock());
    EXPECT_EQ(second.holder(), QCoreApplication::applicationPid());

    first.reset();
    EXPECT_TRUE(second.tryLock());
}
