#include "ui/FileManagerRevealer.h"

#include <QDBusConnection>

#include <gtest/gtest.h>

TEST(FileManagerRevealer, WithoutASessionBusOpensTheFolderInstead) {
    // Pointed nowhere before this program first uses the bus, so no file manager is reached.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillfire-test-bus");
    if (QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "this program reached a session bus before the test could prevent it";
    QList<QUrl> opened;
    FileManagerRevealer revealer([&](const QUrl& url) { opened.append(url); });
    revealer.reveal(QStringLiteral("/tmp/Brennick Saves"));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/Brennick Saves"))});
}
