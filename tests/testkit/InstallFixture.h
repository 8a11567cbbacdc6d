#pragma once

#include "download/FileDownloader.h"
#include "support/CancelToken.h"
#include "support/LogStore.h"
#include "testkit/HttpTestServer.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>

// A game fetch, engine install or download against the loopback server standing in for the
// hosting service, in fresh folders.
class InstallFixture : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        server.useAsHostingService();
    }
    MakeDownloader makeDownloader() {
        return [this] { return std::make_shared<FileDownloader>(nullptr, timeouts); };
    }
    // Every path below the data and temporary folders, relative to the test's home.
    QStringList tree() const {
        QStringList found;
        for (const QString& root : {dataHome(), QDir::tempPath()})
            for (QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                 QDirIterator::Subdirectories);
                 it.hasNext();)
                found << QDir(home()).relativeFilePath(it.next());
        found.sort();
        return found;
    }

    testkit::HttpTestServer server;
    DownloadTimeouts timeouts{15s, 30s, {20ms, 20ms, 20ms}}; // quick tries again
    LogStore log;
    CancelToken token;
};
