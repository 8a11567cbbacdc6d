#pragma once

#include "download/FileDownloader.h"
#include "support/CancelToken.h"
#include "support/LogStore.h"
#include "testkit/HttpTestServer.h"
#include "testkit/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>

#include <gtest/gtest.h>

#include <memory>

// An install or fetch against the loopback server standing in for the hosting service.
class InstallFixture : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        server.useAsHostingService();
        takeTempBaseline();
    }

    // From now on newTempEntries() reports what was added to the temporary directory.
    void takeTempBaseline() { tempAtStart_ = tempEntries(); }

    MakeDownloader makeDownloader() {
        return [this] {
            ++downloadersMade;
            return std::make_shared<FileDownloader>(
                [this](const DownloadProgress& progress) { onProgress(progress); });
        };
    }

    // What the run left in the temporary directory.
    QStringList newTempEntries() const {
        QStringList added = tempEntries();
        for (const QString& name : tempAtStart_)
            added.removeOne(name);
        return added;
    }

    // Every path below the data folder, relative to it, links not followed.
    QStringList dataTree() const {
        QStringList found;
        QDirIterator it(dataHome(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(dataHome()).relativeFilePath(it.next());
        found.sort();
        return found;
    }

    testkit::HttpTestServer server;
    LogStore log;
    CancelToken token;
    int downloadersMade = 0;
    std::function<void(const DownloadProgress&)> onProgress = [](const DownloadProgress&) {};

private:
    static QStringList tempEntries() {
        return QDir(QDir::tempPath())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QStringList tempAtStart_;
};
