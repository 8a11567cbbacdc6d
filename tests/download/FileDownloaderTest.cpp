#include "download/DownloadError.h"
#include "download/Retries.h"
#include "download/SpeedMeter.h"
#include "download/SystemProxyFactory.h"
#include "testkit/InstallFixture.h"
#include "testkit/SmallDisk.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTcpServer>

#include <thread>

using testkit::HttpTestServer;

namespace {

// Short waits, so that the tries of a test are quick.
const DownloadTimeouts quick{300ms, 300ms, {20ms, 20ms, 20ms}};

QByteArray bodyOfSize(qint64 size) {
    QByteArray body;
    for (qint64 byte = 0; byte < size; ++byte)
        body += char(byte * 7919 >> 7);
    return body;
}

class FileDownloaderTest : public InstallFixture {
protected:
    // The sentence a download from `url` fails with; checks that nothing is left behind.
    QString failure(const QUrl& url, DownloadTimeouts timeouts = quick) {
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
    const QByteArray body = bodyOfSize(3'000'000);
    DownloadChecks checks;
    checks.sha512 = true;
    for (const char* framing : {"length", "chunked", "close"}) {
        server.setRoute("/Godot.zip", body, {{"framing", framing}});
        std::vector<DownloadProgress> reports;
        FileDownloader downloader([&](const DownloadProgress& p) { reports.push_back(p); });
        const QFileInfo file(downloader.download(server.url("/Godot.zip"), nullptr, checks));
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
    server.setRoute("/cut.zip", QByteArray(2'000'000, 'x'), {{"drop_after", 100'000}});
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
        EXPECT_EQ(failure(url), sentence);
    // The network layer's own check of a declared length is racy: try the cut body again.
    for (int attempt = 0; attempt < 5; ++attempt)
        EXPECT_EQ(failure(server.url("/cut.zip")), cases[2].second);

    qputenv("TMPDIR", (scratch() + "/not-a-folder").toUtf8());
    testkit::writeFile(scratch(), "not-a-folder", "x");
    EXPECT_TRUE(failure(server.url("/files.zip"))
                    .startsWith("Could not make a folder for the download in " + scratch() +
                                "/not-a-folder: "));
    EXPECT_FALSE(server.requestLog().contains("/files.zip"));
}

// Told before the body when its size is known, found out while writing when it is not.
TEST_F(FileDownloaderTest, AFullDiskIsToldAsTheSpaceTheDownloadNeeds) {
    const SmallDisk disk(QDir::tempPath(), "size=1m");
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)";
    server.setRoute("/known.zip", QByteArray(3'000'000, 'x'));
    server.setRoute("/unknown.zip", QByteArray(3'000'000, 'x'), {{"framing", "chunked"}});
    EXPECT_EQ(failure(server.url("/known.zip")),
              "Brennick needs about 3 MB free in " + QDir::tempPath() + "; only 1 MB are free.");
    EXPECT_TRUE(QRegularExpression("^Brennick needs about 1(\\.\\d)? MB free in " +
                                   QDir::tempPath() + "; only [^;]* are free\\.$")
                    .match(failure(server.url("/unknown.zip")))
                    .hasMatch());
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
    EXPECT_THROW(FileDownloader(nullptr).fetchText(server.url("/slow.zip"), &silentToken),
                 Cancelled);
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
    EXPECT_EQ(FileDownloader(nullptr).fetchText(remote), QString("caf\u00e9 \ufffd end\n"));
    EXPECT_EQ(FileDownloader(nullptr).fetchText(server.url("/SHA512-SUMS.txt")),
              QString("caf\u00e9 \ufffd end\n"));
    EXPECT_EQ(server.requestLog(), (QStringList{remote.toString(), "/SHA512-SUMS.txt"}));
}

TEST_F(FileDownloaderTest, AFailureThatMayPassIsTriedAgainResumingABodyThatBrokeOff) {
    const QByteArray body = bodyOfSize(2'000'000), earlier = bodyOfSize(2'000'001);
    const auto first = [](const QList<QJsonObject>& answers) {
        QJsonArray list;
        for (const QJsonObject& answer : answers)
            list.append(answer);
        return QJsonObject{{"answers", list}};
    };
    const QJsonObject dropAt40{{"drop_after", 800'000}};
    server.setRoute("/dropped.zip", body, first({dropAt40}));
    server.setRoute("/changed.zip", body,
                    first({{{"drop_after", 800'000}, {"body", server.bodyName(earlier)}}}));
    server.setRoute("/refused.zip", body, first({dropAt40, {{"status", 416}}}));
    server.setRoute("/busy.zip", body, first({{{"status", 503}}, {{"status", 503}}}));
    server.setRoute("/stalled.zip", body, first({{{"stall_after", 1000}}}));
    // The request that broke off, then what asks for the rest (or all of it again).
    // The requests after the first; N is as far as the first got.
    const std::tuple<const char*, QStringList, QString> cases[] = {
        {"/dropped.zip", {"/dropped.zip Range: bytes=N-"}, "Connection lost"},
        {"/changed.zip", {"/changed.zip Range: bytes=N-"}, "Connection lost"},
        {"/refused.zip", {"/refused.zip Range: bytes=N-", "/refused.zip"}, "Connection lost"},
        {"/busy.zip", {"/busy.zip", "/busy.zip"}, "Server busy (HTTP 503)"},
        {"/stalled.zip", {"/stalled.zip Range: bytes=N-"}, "No answer from the server"},
    };
    DownloadChecks checks;
    checks.sha512 = true;
    for (const auto& [path, retries, reason] : cases) {
        const qsizetype asked = server.requestLog().size();
        const qint64 sentBefore = server.bytesSent();
        QList<Retries::Notice> notices;
        FileDownloader downloader(nullptr, quick, [&](const Retries::Notice& n) { notices << n; });
        const QString file = downloader.download(server.url(path), nullptr, checks);
        EXPECT_EQ(testkit::readFile(file), body) << path;
        EXPECT_EQ(downloader.sha512(),
                  QCryptographicHash::hash(body, QCryptographicHash::Sha512).toHex());
        EXPECT_EQ(server.requestLog().mid(asked + 1).replaceInStrings(
                      QRegularExpression("=[1-9]\\d*-"), "=N-"),
                  retries)
            << path;
        ASSERT_FALSE(notices.isEmpty()) << path;
        EXPECT_EQ(notices.first().reason, reason);
        EXPECT_TRUE(notices.first().starts);
        EXPECT_EQ(notices.first().attempt, 2);
        EXPECT_EQ(notices.first().attempts, 4);
        if (QString(path) == "/dropped.zip") {
            EXPECT_LT(server.bytesSent() - sentBefore, 1.2 * body.size()) << "only the rest again";
        }
        QDir(QFileInfo(file).absolutePath()).removeRecursively();
    }
    server.setRoute("/gone.zip", body, {{"status", 404}});
    EXPECT_EQ(failure(server.url("/gone.zip")), "The server answered with HTTP 404.");
    EXPECT_EQ(server.requestLog().filter("/gone.zip").size(), 1) << "a 404 is never asked again";
}

TEST_F(FileDownloaderTest, ACancelEndsTheWaitForTheNextTryAtOnce) {
    server.setRoute("/busy.zip", "", {{"status", 503}, {"retry_after", 50}});
    FileDownloader downloader(nullptr);
    std::thread canceller([&] {
        testkit::waitUntil([&] { return !server.requestLog().isEmpty(); });
        std::this_thread::sleep_for(200ms);
        downloader.cancel();
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(downloader.download(server.url("/busy.zip")), Cancelled);
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    const auto wait = [](int retry, std::chrono::seconds after) {
        return Retries::delay({}, retry, std::make_exception_ptr(DownloadError::http(503, after)));
    };
    EXPECT_EQ(wait(1, 50s), 50s) << "as the server asks";
    EXPECT_EQ(wait(1, 300s), 60s) << "but never more than a minute";
    for (int retry = 1; retry <= 3; ++retry) {
        const auto planned = DownloadTimeouts().retryDelays[retry - 1];
        EXPECT_TRUE(wait(retry, -1s) >= planned * 0.8 && wait(retry, -1s) <= planned * 1.2);
    }
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
