#pragma once

#include "testkit/TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <map>

#include <fcntl.h>
#include <sys/file.h>

// `quillfire <args>` as a separate process with the test's data folder, its own settings (and
// `environment`), so that a test can kill or interrupt it at any moment.
class LauncherProcess {
public:
    LauncherProcess(const QString& home, const QStringList& args,
                    const std::map<QString, QString>& environment = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", home + "/config");
        for (const auto& [name, value] : environment)
            env.insert(name, value);
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        testkit::endWithTest(process_);
        QObject::connect(&process_, &QProcess::readyRead,
                         [this] { output_ += QString::fromUtf8(process_.readAll()); });
        process_.start(QUILLFIRE_BINARY, args);
        process_.waitForStarted();
    }
    ~LauncherProcess() {
        process_.kill();
        process_.waitForFinished(5000);
    }

    // False when the launcher ended or the time ran out before it printed `text`.
    bool waitForOutput(const QString& text, int timeoutMs) {
        return QTest::qWaitFor([&] { return output_.contains(text) || ended(); }, timeoutMs) &&
               output_.contains(text);
    }
    // The exit status (128 + 9 after a kill); -1 when it did not end in time.
    int waitForExit(int timeoutMs) {
        if (!QTest::qWaitFor([&] { return ended(); }, timeoutMs))
            return -1;
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : 128 + SIGKILL;
    }
    bool waitUntilCatching(int number) {
        static const QRegularExpression caught("SigCgt:\\s*(\\w+)");
        const auto mask = [&] {
            const QString status = testkit::readFile(QString("/proc/%1/status").arg(pid()));
            return caught.match(status).captured(1).toULongLong(nullptr, 16);
        };
        return QTest::qWaitFor([&] { return (mask() >> (number - 1) & 1) != 0; }, 30'000);
    }
    bool ended() const { return process_.state() == QProcess::NotRunning; }
    // Never to pid 0, which would signal the test's own process group.
    void signal(int number) {
        if (pid() > 0)
            ::kill(static_cast<pid_t>(pid()), number);
    }
    const QString& output() const { return output_; }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    QString output_;
};

// A virtual X server (Xvfb) on a free display, ended with the test; display() stays empty when it
// did not start. One at a time: beside another, one reported a display no client could open.
class VirtualScreen {
public:
    VirtualScreen()
        : lock_(::open("/tmp/quillfire-tests-xvfb.lock", O_CREAT | O_RDONLY | O_CLOEXEC, 0666)) {
        if (!testkit::waitUntil([&] { return ::flock(lock_, LOCK_EX | LOCK_NB) == 0; }, 280s))
            return;
        testkit::endWithTest(server_);
        server_.start("/usr/bin/Xvfb",
                      {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
        if (server_.waitForReadyRead(20'000))
            display_ = ":" + QString::fromLatin1(server_.readLine().trimmed());
    }
    ~VirtualScreen() {
        server_.terminate();
        server_.waitForFinished(5000);
        ::close(lock_); // the kernel lets go of the lock with it, even when the test dies
    }
    const QString& display() const { return display_; }

private:
    int lock_;
    QProcess server_;
    QString display_;
};
