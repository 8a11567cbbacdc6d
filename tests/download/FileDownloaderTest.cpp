#include "download/DownloadError.h"
#include "download/SpeedMeter.h"
#include "download/SystemProxyFactory.h"
#include "testkit/InstallFixture.h"

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>

#include <thread>

using testkit::HttpTestServer;

namespace {

class FileDownloaderTest : public InstallFixture {
protected:
    // The sentence a download from `url` fails with; checks that nothing is left behind.
    QString failure(const QUrl& url, DownloadTimeouts timeouts = {}) {
        const QString sentence =
            failureOf([&] { FileDownloader(nullptr, timeouts).download(url); });
        EXPECT_TRUE(tree().filter("tmp/").isEmpty()) << url.toString();
        return sentence;
    }
    QString fetched(const QUrl& url) {
        const QString path = FileDownloader(nullptr).download(url);
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
        return QFileInfo(path).fileName();
    }
};

TEST_F(FileDownloaderTest, StreamsTheBodyIntoAFreshFolderWithProgressAndDigest) {
    QByteArray body;
    for (qint64 byte = 0; byte < 3'000'000; ++byte)
        body += char(byte * 7919 >> 7);
    for (const char* framing : {"length", "chunked", "close"}) {
        server.setRoute("/Godot.zip", body, {{"framing", framing}});
        std::vector<DownloadProgress> reports;
        FileDownloader downloader([&](const DownloadProgress& p) { reports.push_back(p); });
        const QFileInfo file(
            downloader.download(server.url("/Godot.zip"), nullptr, FileDownloader::Digest::Sha512));
        EXPECT_EQ(file.fileName(), "Godot.zip");
        EXPECT_EQ(file.absolutePath().section('/', 0, -2), QDir::tempPath());
        EXPECT_TRUE(QRegularExpression("^Brennick-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")
                        .match(file.dir().dirName())
                        .hasMatch());
        EXPECT_EQ(testkit::readFile(file.filePath()), body);
        EXPECT_EQ(downloader.sha512(),
                  QCryptographicHash::hash(body, QCryptographicHash::Sha512).toHex());
        qint64 previous = 0;
        for (const DownloadProgress& p : reports) {
            EXPECT_EQ(p.total, framing == QString("length") ? 3'000'000 : 0);
            EXPECT_GT(p.received, std::exchange(previous, p.received));
        }
        EXPECT_EQ(previous, 3'000'000);
        QDir(file.absolutePath()).removeRecursively();
    }
}

TEST_F(FileDownloaderTest, FollowsRedirectsAndNamesTheFileFromTheFirstAddress) {
    server.setRoute("/files/real.zip", "zip");
    for (const char* path : {"/", "/latest", "/x/asset.zip"})
        server.setRoute(path, "", {{"redirect", "/files/real.zip"}, {"status", 301}});
    EXPECT_EQ(fetched(server.url("/")), "download.zip");
    EXPECT_EQ(fetched(server.url("/latest")), "latest");
    EXPECT_EQ(fetched(server.url("/x/asset.zip?token=1")), "asset.zip");
    server.setRoute("/gone.zip", "", {{"redirect", server.url("/missing.zip").toString()}});
    EXPECT_EQ(failure(server.url("/gone.zip")), "The server answered with HTTP 404.");
    EXPECT_EQ(server.requestLog().mid(6), (QStringList{"/gone.zip", "/missing.zip"}));
}

TEST_F(FileDownloaderTest, EachFailureIsAFinishedSentenceAndLeavesNoFile) {
    server.setRoute("/cut.zip", QByteArray(2'000'000, 'x'), {{"drop_after", 700'000}});
    server.setRoute("/stalled.zip", QByteArray(2'000'000, 'x'), {{"stall_after", 1'000}});
    server.setRoute("/silent.zip", "", {{"silent", true}});
    server.setRoute("/error.zip", "error page", {{"status", 500}});
    QTcpServer closed, mute; // mute takes connections and never says a word
    closed.listen(QHostAddress::LocalHost);
    mute.listen(QHostAddress::LocalHost);
    const QString refused = QString("http://127.0.0.1:%1/").arg(closed.serverPort());
    closed.close();
    const QString quiet =
        "The server 127.0.0.1 stopped sending data: nothing arrived for 0.3 seconds.";
    const std::pair<QUrl, QString> cases[] = {
        {server.url("/missing.zip"), "The server answered with HTTP 404."},
        {server.url("/error.zip"), "The server answered with HTTP 500."},
        {server.url("/cut.zip"),
         "The server 127.0.0.1 closed the connection before the download was complete."},
        {server.url("/stalled.zip"), quiet},
        {server.url("/silent.zip"), quiet},
        {refused, "Could not connect to 127.0.0.1: connection refused."},
        {QString("https://127.0.0.1:%1/").arg(mute.serverPort()),
         "Could not connect to 127.0.0.1 within 0.3 seconds."},
    };
    for (const auto& [url, sentence] : cases)
        EXPECT_EQ(failure(url, {300ms, 300ms}), sentence);
    // The network layer's own check of a declared length is racy: try the cut body again.
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_EQ(failure(server.url("/cut.zip")), cases[2].second);

    qputenv("TMPDIR", (scratch() + "/not-a-folder").toUtf8());
    testkit::writeFile(scratch(), "not-a-folder", "x");
    EXPECT_EQ(failure(server.url("/files.zip")), "The download finished but no file was saved.");
    EXPECT_FALSE(server.requestLog().contains("/files.zip"));
}

TEST_F(FileDownloaderTest, RefusesAnUntrustedCertificateAndARedirectFromHttpsToHttp) {
    HttpTestServer secure(HttpTestServer::Tls::On);
    secure.setRoute("/safe.zip", "safe");
    EXPECT_TRUE(failure(secure.url("/safe.zip"))
                    .startsWith("Could not make a secure connection to 127.0.0.1: "));
    secure.trustCertificate();
    EXPECT_EQ(fetched(secure.url("/safe.zip")), "safe.zip");
    secure.setRoute("/main.zip", "", {{"redirect", server.url("/main.zip").toString()}});
    EXPECT_EQ(failure(secure.url("/main.zip")),
              "The server 127.0.0.1 redirected the secure download to an insecure (http) address, "
              "so it was refused.");
    EXPECT_TRUE(server.requestLog().isEmpty());
}

TEST_F(FileDownloaderTest, ACancelEndsTheTransferAtOnceOrPreventsIt) {
    server.setRoute("/slow.zip", QByteArray(1'000'000, 's'),
                    {{"trickle", 1'000}, {"interval", 20}});
    server.setRoute("/silent.zip", "", {{"silent", true}});
    std::atomic<qint64> received = 0;
    FileDownloader downloader([&](const DownloadProgress& p) { received = p.received; });
    CancelToken silentToken;
    std::thread canceller([&] {
        testkit::waitUntil([&] { return received > 5'000; });
        downloader.cancel(); // mid-body, from another thread
        testkit::waitUntil([&] { return server.requestLog().size() == 2; });
        silentToken.cancel(); // while the server says nothing
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(downloader.download(server.url("/slow.zip")), Cancelled);
    EXPECT_THROW(FileDownloader(nullptr).download(server.url("/silent.zip"), &silentToken),
                 Cancelled);
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_THROW(downloader.download(server.url("/slow.zip")), Cancelled);
    EXPECT_THROW(FileDownloader::fetchText(server.url("/slow.zip"), &silentToken), Cancelled);
    EXPECT_EQ(server.requestLog().size(), 2) << "a cancelled downloader asks for nothing more";
    EXPECT_TRUE(tree().filter("tmp/").isEmpty());
}

TEST_F(FileDownloaderTest, FetchTextRepairsUtf8AndUsesTheProxyExceptForLoopback) {
    server.setRoute("/SHA512-SUMS.txt", "caf\xc3\xa9 \xff end\n");
    const QUrl remote("http://mirror.quillfire.invalid/SHA512-SUMS.txt");
    qputenv("http_proxy", server.baseUrl().toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("http_proxy"); });
    // Checked first so that a regression can never send the request off this machine.
    ASSERT_EQ(SystemProxyFactory().queryProxy(QNetworkProxyQuery(remote)).value(0).port(),
              server.port());
    EXPECT_EQ(FileDownloader::fetchText(remote), QString("caf\u00e9 \ufffd end\n"));
    EXPECT_EQ(FileDownloader::fetchText(server.url("/SHA512-SUMS.txt")),
              QString("caf\u00e9 \ufffd end\n"));
    EXPECT_EQ(server.requestLog(), (QStringList{remote.toString(), "/SHA512-SUMS.txt"}));
}

TEST(SpeedMeter, AveragesOverWindowsOfAtLeastHalfASecond) {
    const SpeedMeter::Clock::time_point made{};
    SpeedMeter meter(made);
    const std::tuple<std::chrono::milliseconds, qint64, double> steps[] = {
        {499ms, 30'000, 0},
        {500ms, 50'000, 100'000},
        {800ms, 90'000, 100'000},
        {1'300ms, 250'000, 250'000}};
    for (const auto& [at, received, speed] : steps)
        EXPECT_DOUBLE_EQ(meter.update(received, made + at), speed) << at.count();
}

} // namespace
