#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <ostream>

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

using namespace std::chrono_literals;

namespace testkit {

// Points HOME and the XDG folders at a throw-away folder for the whole test program, and the
// hosting service at a closed loopback port, so that no test touches the user's files or the
// network by accident.
void isolateProcess();

// Writes `bytes` to `root/relativePath`, creating folders on the way.
void writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// Runs the event loop until `done` holds; false when it did not within `timeout`.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);
// The same without the event loop, for any thread.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s);

} // namespace testkit

// A test whose launcher folders (XDG_DATA_HOME, TMPDIR) are fresh and empty.
class IsolatedTest : public ::testing::Test {
protected:
    void SetUp() override;

    QString home() const { return home_.path(); }
    QString dataHome() const { return home() + QStringLiteral("/data"); }
    QString scratch() const { return home() + QStringLiteral("/scratch"); }

private:
    QTemporaryDir home_;
};
