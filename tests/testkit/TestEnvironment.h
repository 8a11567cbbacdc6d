#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>

class QProcess;

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

// HOME, the XDG folders and TMPDIR in a throw-away folder, and the hosting service at a closed
// loopback port, so that no test touches the user's files or the network by accident.
void isolateProcess();

void writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// What `process` starts gets SIGKILL when the thread that starts it ends: a test that crashes or
// is killed leaves no helper behind holding ctest's output open.
void endWithTest(QProcess& process);

// Wait until `done` holds or `timeout` has passed, running the event loop meanwhile
// (eventually) or not (waitUntil, any thread).
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

} // namespace testkit

// A test in fresh folders, data (XDG_DATA_HOME), tmp (TMPDIR) and scratch, with the hosting
// service at a closed port; afterwards the process's own folders again, never a removed one.
class IsolatedTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { testkit::isolateProcess(); }

    QString home() const { return home_.path(); }
    QString dataHome() const { return home() + "/data"; }
    QString scratch() const { return home() + "/scratch"; }

private:
    QTemporaryDir home_;
};
