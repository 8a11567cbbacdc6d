#include "DownloadFixture.h"

#include "support/CancelToken.h"

#include <atomic>
#include <chrono>
#include <thread>

using testkit::HttpRoute;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST_F(DownloadFixture, CancelFromAnotherThreadEndsATransferMidBody) {
    HttpRoute slow;
    slow.body = bodyOfSize(1'000'000);
    slow.trickleBytes = 1'000;
    slow.trickleInterval = 20ms; // would take 20 s
    server.setRoute(QStringLiteral("/main.zip"), slow);
    std::atomic<qint64> received = 0;
    FileDownloader downloader([&](const DownloadProgress& p) { received = p.received; });

    bool cancelled = false;
    std::thread worker([&] {
        try {
            downloader.download(server.url(QStringLiteral("/main.zip")));
        } catch (const Cancelled&) {
            cancelled = true;
        }
    });
    while (received < 5'000)
        std::this_thread::sleep_for(10ms);
    const auto cancelledAt = Clock::now();
    downloader.cancel();
    worker.join();

    EXPECT_TRUE(cancelled);
    EXPECT_LT(Clock::now() - cancelledAt, 3s);
    EXPECT_TRUE(downloadFolders().isEmpty());
}

TEST_F(DownloadFixture, CancelTokenReachesADownloadWhileTheServerIsSilent) {
    HttpRoute silent;
    silent.silent = true;
    server.setRoute(QStringLiteral("/main.zip"), silent);
    CancelToken token;
    Clock::time_point cancelledAt;
    std::thread canceller([&] {
        while (server.requestLog().isEmpty())
            std::this_thread::sleep_for(10ms);
        cancelledAt = Clock::now();
        token.cancel();
    });

    FileDownloader downloader(nullptr);
    EXPECT_THROW(downloader.download(server.url(QStringLiteral("/main.zip")), &token), Cancelled);
    canceller.join();
    EXPECT_LT(Clock::now() - cancelledAt, 3s);
    EXPECT_TRUE(downloadFolders().isEmpty());
}

TEST_F(DownloadFixture, ACancelBeforeTheStartSendsNoRequest) {
    server.setBody(QStringLiteral("/main.zip"), "zip");
    FileDownloader cancelledFirst(nullptr);
    cancelledFirst.cancel();
    EXPECT_THROW(cancelledFirst.download(server.url(QStringLiteral("/main.zip"))), Cancelled);

    CancelToken token;
    token.cancel();
    EXPECT_THROW(FileDownloader(nullptr).download(server.url(QStringLiteral("/main.zip")), &token),
                 Cancelled);
    EXPECT_THROW(FileDownloader::fetchText(server.url(QStringLiteral("/main.zip")), &token),
                 Cancelled);
    EXPECT_TRUE(server.requestLog().isEmpty());
    EXPECT_TRUE(downloadFolders().isEmpty());
}
