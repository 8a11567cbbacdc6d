#pragma once

#include "support/Problem.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <ostream>
#include <thread>

#include <sys/prctl.h>
#include <unistd.h>

using namespace std::chrono_literals;

// Readable failure messages for Qt strings.
inline std::ostream& operator<<(std::ostream& os, const QString& text) {
    return os << text.toStdString();
}
inline std::ostream& operator<<(std::ostream& os, const QByteArray& bytes) {
    return os << bytes.toStdString();
}
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text << '"';
}

namespace testkit {

// HOME, the XDG folders and TMPDIR below `root`, and the hosting service at a closed loopback
// port, so that no test touches the user's files or the network by accident.
inline void isolateIn(const QString& root) {
    for (const char* folder : {"data", "config", "cache", "tmp", "scratch"})
        QDir().mkpath(root + "/" + folder);
    qputenv("HOME", root.toUtf8());
    for (const auto& [name, folder] : {std::pair{"XDG_DATA_HOME", "data"}, {"TMPDIR", "tmp"},
                                       {"XDG_CONFIG_HOME", "config"}, {"XDG_CACHE_HOME", "cache"}})
        qputenv(name, (root + "/" + folder).toUtf8());
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
    qputenv("QUILLFIRE_API_URL", "http://127.0.0.1:9");
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
}
inline void isolateProcess() {
    static QTemporaryDir root;
    isolateIn(root.path());
}

inline void writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes) {
    const QString path = root + "/" + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path;
}
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What `process` starts gets SIGKILL when the thread that starts it ends: a test that crashes or
// is killed leaves no helper behind holding ctest's output open.
inline void endWithTest(QProcess& process) {
    const pid_t test = ::getpid();
    process.setChildProcessModifier([test] {
        // The test may have died before the child got here.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != test)
            ::_exit(127);
    });
}

// Wait until `done` holds or `timeout` has passed, running the event loop meanwhile
// (eventually) or not (waitUntil, any thread).
inline bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}
inline bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout; !done();) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace testkit

// A test in fresh folders, home, data (XDG_DATA_HOME), tmp (TMPDIR) and scratch among them;
// afterwards the process's own folders again, never a removed one.
class IsolatedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        testkit::isolateIn(home());
    }
    void TearDown() override { testkit::isolateProcess(); }

    // The sentence `step` fails with; empty when it succeeds.
    static QString failureOf(const std::function<void()>& step) {
        try {
            step();
        } catch (const Problem& problem) {
            return problem.sentence();
        }
        return {};
    }
    QString home() const { return home_.path(); }
    QString dataHome() const { return home() + "/data"; }
    QString scratch() const { return home() + "/scratch"; }

private:
    QTemporaryDir home_;
};
