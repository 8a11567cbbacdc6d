#pragma once

#include "download/FileDownloader.h"
#include "testkit/HttpTestServer.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

// A downloader test with its own loopback server; checks that no download folder is left.
class DownloadFixture : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        ASSERT_EQ(QDir::tempPath(), QDir::cleanPath(qEnvironmentVariable("TMPDIR")));
        removeDownloadFolders();
        tempEntriesAtStart_ = tempEntries();
    }

    static QStringList tempEntries() {
        return QDir(QDir::tempPath())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    // What the test added to the temporary directory.
    QStringList newTempEntries() const {
        QStringList added = tempEntries();
        for (const QString& name : tempEntriesAtStart_)
            added.removeOne(name);
        return added;
    }

    static QStringList downloadFolders() {
        return QDir(QDir::tempPath()).entryList({QStringLiteral("Brennick-*")}, QDir::AllEntries);
    }
    static void removeDownloadFolders() {
        for (const QString& name : downloadFolders())
            QDir(QDir::tempPath() + QLatin1Char('/') + name).removeRecursively();
    }

    // Deterministic bytes that no compressor or framing bug would reproduce by chance.
    static QByteArray bodyOfSize(qsizetype size) {
        QByteArray bytes(size, Qt::Uninitialized);
        quint32 state = 2463534242u;
        for (char& byte : bytes) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            byte = static_cast<char>(state);
        }
        return bytes;
    }

    testkit::HttpTestServer server;

private:
    QStringList tempEntriesAtStart_;
};
