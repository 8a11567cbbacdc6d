#include "download/DownloadError.h"
#include "download/SystemProxyFactory.h"
#include "testkit/InstallFixture.h"

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QScopeGuard>

#include <thread>

using testkit::HttpRoute;

namespace {

// Deterministic bytes that no compressor or framing bug would reproduce by chance.
QByteArray bodyOfSize(qsizetype size) {
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

using FileDownloaderTest = InstallFixture;

TEST_F(FileDownloaderTest, StreamsTheBodyIntoAFreshFolderWithProgressAndDigest) {
    HttpRoute route;
    route.body = bodyOfSize(3'000'000);
    for (const auto framing : {HttpRoute::Framing::ContentLength, HttpRoute::Framing::Chunked,
                               HttpRoute::Framing::CloseDelimited}) {
        SCOPED_TRACE(int(framing));
        route.framing = framing;
        server.setRoute("/Godot_v3.5.3-stable_x11.64.zip", route);
        std::vector<DownloadProgress> reports;
        FileDownloader downloader([&](const DownloadProgress& p) { reports.push_back(p); });
        const QString path = downloader.download(server.url("/Godot_v3.5.3-stable_x11.64.zip"),
                                                 nullptr, FileDownloader::Digest::Sha512);
        const QFileInfo file(path);
        EXPECT_EQ(file.fileName(), "Godot_v3.5.3-stable_x11.64.zip");
        EXPECT_EQ(file.absolutePath().section('/', 0, -2), QDir::tempPath());
        EXPECT_TRUE(QRegularExpression("^Brennick-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")
                        .match(file.dir().dirName())
                        .hasMatch());
        EXPECT_EQ(testkit::readFile(path), route.body);
        EXPECT_EQ(downloader.sha512(),
                  QCryptographicHash::hash(route.body, QCryptographicHash::Sha512).toHex());
        ASSERT_FALSE(reports.empty());
        qint64 previous = 0;
        for (const DownloadProgress& p : reports) {
            EXPECT_EQ(p.total, framing == HttpRoute::Framing::ContentLength ? 3'000'000 : 0);
            EXPECT_GT(p.received, previous);
            previous = p.received;
        }
        EXPECT_EQ(previous, 3'000'000);
        QDir(file.absolutePath()).removeRecursively();
    }
}

TEST_F(FileDownloaderTest, FollowsRedirectsAndNamesTheFileFromTheFirstAddress) {
    server.setBody("/files/real.zip", "zip");
    server.setBody("/missing.zip", "not here", 404);
    HttpRoute moved;
    moved.redirectTo = "/files/real.zip";
    moved.status = 301;
    for (const char* path : {"/", "/latest", "/x/asset.zip"})
        server.setRoute(path, moved);
    HttpRoute toMissing;
    toMissing.redirectTo = server.url("/missing.zip").toString();
    server.setRoute("/gone.zip", toMissing);

    const std::pair<QString, QString> names[] = {
        {"/", "download.zip"}, {"/latest", "latest"}, {"/x/asset.zip?token=1", "asset.zip"}};
    for (const auto& [requested, name] : names) {
        const QString path = FileDownloader(nullptr).download(server.url(requested));
        EXPECT_EQ(QFileInfo(path).fileName(), name);
        EXPECT_EQ(testkit::readFile(path), "zip");
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
    }
    EXPECT_EQ(failureOf([&] { FileDownloader(nullptr).download(server.url("/gone.zip")); }),
              "The server answered with HTTP 404.");
    EXPECT_EQ(server.requestLog().mid(6), (QStringList{"/gone.zip", "/missing.zip"}));
    EXPECT_TRUE(tree().filter("tmp/").isEmpty());
}

TEST_F(FileDownloaderTest, ACancelEndsTheTransferAtOnceAndLeavesNothing) {
    HttpRoute slow;
    slow.body = bodyOfSize(1'000'000);
    slow.trickleBytes = 1'000; // would take 20 s
    slow.trickleInterval = 20ms;
    server.setRoute("/slow.zip", slow);
    HttpRoute silent;
    silent.silent = true;
    server.setRoute("/silent.zip", silent);
    std::atomic<qint64> received = 0;
    FileDownloader downloader([&](const DownloadProgress& p) { received = p.received; });
    CancelToken silentToken;
    std::thread canceller([&] {
        testkit::waitUntil([&] { return received > 5'000; });
        downloader.cancel(); // mid-body, from another thread
        testkit::waitUntil([&] { return server.requestLog().contains("/silent.zip"); });
        silentToken.cancel(); // while the server says nothing
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(downloader.download(server.url("/slow.zip")), Cancelled);
    EXPECT_THROW(FileDownloader(nullptr).download(server.url("/silent.zip"), &silentToken),
                 Cancelled);
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);

    // Cancelled before the start: no request at all.
    EXPECT_THROW(downloader.download(server.url("/slow.zip")), Cancelled);
    EXPECT_THROW(FileDownloader::fetchText(server.url("/slow.zip"), &silentToken), Cancelled);
    EXPECT_EQ(server.requestLog(), (QStringList{"/slow.zip", "/silent.zip"}));
    EXPECT_TRUE(tree().filter("tmp/").isEmpty());
}

TEST_F(FileDownloaderTest, FetchTextRepairsUtf8AndHonoursTheProxyExceptForLoopback) {
    server.setBody("/SHA512-SUMS.txt", "caf\xc3\xa9 \xff end\n");
    EXPECT_EQ(FileDownloader::fetchText(server.url("/SHA512-SUMS.txt")),
              QStringLiteral("caf\u00e9 \ufffd end\n"));

    qputenv("http_proxy", server.baseUrl().toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("http_proxy"); });
    const QUrl remote("http://mirror.quillfire.invalid/SHA512-SUMS.txt");
    // Checked first so that a regression can never send the request off this machine.
    const QList<QNetworkProxy> proxies =
        SystemProxyFactory().queryProxy(QNetworkProxyQuery(remote));
    ASSERT_EQ(proxies.value(0).type(), QNetworkProxy::HttpProxy);
    ASSERT_EQ(proxies.value(0).port(), server.port());
    EXPECT_EQ(FileDownloader::fetchText(remote), QStringLiteral("caf\u00e9 \ufffd end\n"));
    EXPECT_EQ(FileDownloader::fetchText(server.url("/SHA512-SUMS.txt")),
              QStringLiteral("caf\u00e9 \ufffd end\n"));
    EXPECT_EQ(server.requestLog().mid(1), (QStringList{remote.toString(), "/SHA512-SUMS.txt"}));
}

} // namespace
