#pragma once

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace testkit {

// Points HOME and the XDG folders at a throw-away folder for the whole test
// program, and the hosting service at a closed loopback port, so that no test
// touches the user's files or the network by accident.
void isolateProcess();

// Writes `bytes` to `root/relativePath`, creating folders on the way.
void writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes);
QByteArray readFile(const QString& path);

} // namespace testkit

// A test whose launcher folders (XDG_DATA_HOME and friends) are fresh and empty.
class IsolatedTest : public ::testing::Test {
protected:
    void SetUp() override;

    QString dataHome() const { return home_.path() + QStringLiteral("/data"); }
    QString scratch() const { return home_.path() + QStringLiteral("/scratch"); }

private:
    QTemporaryDir home_;
};
