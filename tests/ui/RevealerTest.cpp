#include "ui/FileManagerRevealer.h"

#include "testkit/TestEnvironment.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTest>

namespace {

// Answers ShowItems the way a file manager does, and remembers what it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

const QString folder = "/tmp/Brennick Saves";

// On a message bus of the test's own, so that no real file manager is ever reached.
TEST(FileManagerRevealer, AsksTheFileManagerOnTheBusAndFallsBackWhenNoneAnswers) {
    QProcess daemon;
    daemon.start("dbus-daemon",
                 {"--session", "--nofork", "--print-address=1", "--address=unix:tmpdir=/tmp"});
    ASSERT_TRUE(daemon.waitForReadyRead(10'000)) << "dbus-daemon could not be started";
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    QList<QUrl> opened;
    FileManagerRevealer revealer([&](const QUrl& url) { opened.append(url); },
                                 QDBusConnection::connectToBus(address, "launcher"));
    revealer.reveal(folder); // nothing owns the file manager's name yet
    ASSERT_TRUE(testkit::eventually([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});

    opened.clear();
    FakeFileManager fileManager;
    QDBusConnection service = QDBusConnection::connectToBus(address, "fileManager");
    ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
    revealer.reveal(folder);
    ASSERT_TRUE(testkit::eventually([&] { return !fileManager.shown.isEmpty(); }));
    EXPECT_EQ(fileManager.shown, QList<QStringList>{{"file:///tmp/Brennick%20Saves"}});
    QTest::qWait(200); // the answer arrives after the call
    EXPECT_TRUE(opened.isEmpty()) << "a file manager that answered is not second-guessed";
    QDBusConnection::disconnectFromBus("launcher");
    QDBusConnection::disconnectFromBus("fileManager");
    daemon.kill();
    daemon.waitForFinished();
}

} // namespace

#include "RevealerTest.moc"
