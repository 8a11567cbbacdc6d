#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <thread>

#include <sys/prctl.h>
#include <unistd.h>

namespace testkit {

void isolateProcess() {
    static QTemporaryDir root;
    for (const char* folder : {"data", "config", "cache", "tmp"})
        QDir().mkpath(root.filePath(folder));
    qputenv("HOME", root.path().toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toUtf8());
    qputenv("XDG_CACHE_HOME", root.filePath("cache").toUtf8());
    qputenv("TMPDIR", root.filePath("tmp").toUtf8());
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
}

void writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes) {
    const QString path = root + "/" + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void endWithTest(QProcess& process) {
    const pid_t test = ::getpid();
    process.setChildProcessModifier([test] {
        // The test may have died before the child got here.
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != test)
            ::_exit(127);
    });
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    for (const auto deadline = std::chrono::steady_clock::now() + timeout; !done();) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace testkit

void IsolatedTest::SetUp() {
    ASSERT_TRUE(home_.isValid());
    for (const char* folder : {"data", "scratch", "tmp"})
        QDir().mkpath(home() + "/" + folder);
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("TMPDIR", (home() + "/tmp").toUtf8());
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
}
