#include "ui/FileManagerRevealer.h"

#include "testkit/TestEnvironment.h"

#include <QDBusConnection>
#include <QProcess>

namespace {

// On a message bus of the test's own, so that no real file manager is ever reached: where none
// answers, the folder is opened instead.
TEST(FileManagerRevealer, FallsBackWhenNoFileManagerAnswersOnTheBus) {
    QProcess daemon;
    testkit::endWithTest(daemon);
    daemon.start("dbus-daemon",
                 {"--session", "--nofork", "--print-address=1", "--address=unix:tmpdir=/tmp"});
    ASSERT_TRUE(daemon.waitForReadyRead(10'000)) << "dbus-daemon could not be started";
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    QList<QUrl> opened;
    FileManagerRevealer revealer([&](const QUrl& url) { opened.append(url); },
                                 QDBusConnection::connectToBus(address, "launcher"));
    revealer.reveal("/tmp/Brennick Saves");
    ASSERT_TRUE(testkit::eventually([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile("/tmp/Brennick Saves")});
}

} // namespace
