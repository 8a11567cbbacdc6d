#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <thread>

namespace testkit {

void isolateProcess() {
    static QTemporaryDir root;
    const QString home = root.path();
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/cache")).toUtf8());
    qputenv("TMPDIR", (home + QStringLiteral("/tmp")).toUtf8());
    QDir().mkpath(home + QStringLiteral("/tmp"));
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
    for (const char* name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
}

void writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes) {
    const QString path = root + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    return QTest::qWaitFor(done, static_cast<int>(timeout.count()));
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
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
        QDir().mkpath(home() + QLatin1Char('/') + QLatin1String(folder));
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("TMPDIR", (home() + QStringLiteral("/tmp")).toUtf8());
}
