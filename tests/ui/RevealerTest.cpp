#include "ui/FileManagerRevealer.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "testkit/TestEnvironment.h"

namespace {

// A message bus of the test's own, so no real file manager is ever reached.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                      "--address=unix:path=" + dir_.filePath("bus")});
        if (daemon_.waitForStarted() && daemon_.waitForReadyRead(10'000))
            address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    ~PrivateBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished();
    }
    bool running() const { return !address_.isEmpty(); }
    QDBusConnection connect(const QString& name) {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// Answers ShowItems the way a file manager does, and remembers what it was asked to show.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

const QString folder = QStringLiteral("/tmp/Brennick Saves");

} // namespace

TEST(FileManagerRevealer, AsksTheFileManagerOnTheBusAndFallsBackWhenNoneAnswers) {
    PrivateBus bus;
    if (!bus.running())
        GTEST_SKIP() << "dbus-daemon could not be started";
    QList<QUrl> opened;
    FileManagerRevealer revealer([&](const QUrl& url) { opened.append(url); },
                                 bus.connect("launcher"));

    revealer.reveal(folder); // nothing owns the file manager's name yet
    ASSERT_TRUE(testkit::eventually([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});

    opened.clear();
    FakeFileManager fileManager;
    QDBusConnection service = bus.connect("fileManager");
    ASSERT_TRUE(service.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService("org.freedesktop.FileManager1"));
    revealer.reveal(folder);
    ASSERT_TRUE(testkit::eventually([&] { return !fileManager.shown.isEmpty(); }));
    EXPECT_EQ(fileManager.shown, QList<QStringList>{{"file:///tmp/Brennick%20Saves"}});
    QTest::qWait(200); // the answer arrives after the call
    EXPECT_TRUE(opened.isEmpty()) << "a file manager that answered is not second-guessed";
}

TEST(FileManagerRevealer, WithoutASessionBusOpensTheFolderInstead) {
    // Pointed nowhere before this program first uses the bus, so no file manager is reached.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/quillfire-test-bus");
    if (QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "this program reached a session bus before the test could prevent it";
    QList<QUrl> opened;
    FileManagerRevealer revealer([&](const QUrl& url) { opened.append(url); });
    revealer.reveal(folder);
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(folder)});
}

#include "RevealerTest.moc"
