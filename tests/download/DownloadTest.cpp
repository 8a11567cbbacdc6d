#include "download/RepoDownloader.h"
#include "download/Retries.h"
#include "download/SpeedMeter.h"
#include "download/SystemProxyFactory.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "testkit/InstallFixture.h"
#include "testkit/NginxServer.h"
#include "testkit/SampleGame.h"
#include "testkit/SmallDisk.h"
#include "testkit/ZipBuilder.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QTcpServer>

using ziptest::Entry;

namespace {

const DownloadTimeouts quick{300ms, 300ms, {20ms, 20ms, 20ms}};
const QString cut = "The server 127.0.0.1 closed the connection before the download was complete.";

class FileDownloaderTest : public InstallFixture {
protected:
    // The sentence a download from `url` fails with; checks that nothing is left behind.
    QString failure(const QUrl& url) {
        const QString sentence = failureOf([&] { FileDownloader(nullptr, quick).download(url); });
        EXPECT_TRUE(tree().filter("tmp/").isEmpty()) << url.toString();
        return sentence;
    }
    QString fetched(const QUrl& url) {
        const QString path = FileDownloader(nullptr).download(url);
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
        return QFileInfo(path).fileName();
    }
};

TEST_F(FileDownloaderTest, StreamsTheBodyIntoAFreshFolderWithProgress) {
    const QByteArray body(3'000'000, 'b');
    for (const char* framing : {"length", "chunked", "close"}) {
        server.setRoute("/Godot.zip", body, {{"framing", framing}});
        std::vector<DownloadProgress> reports;
        FileDownloader downloader([&](const DownloadProgress& p) { reports.push_back(p); });
        const QFileInfo file(downloader.download(server.url("/Godot.zip")));
        EXPECT_TRUE(file.filePath().startsWith(QDir::tempPath() + "/Brennick-")) << "as leftovers";
        EXPECT_EQ(testkit::readFile(file.filePath()), body);
        qint64 previous = 0;
        for (const DownloadProgress& p : reports) {
            EXPECT_EQ(p.total, framing == QString("length") ? 3'000'000 : 0);
            EXPECT_GT(p.received, std::exchange(previous, p.received));
        }
        EXPECT_EQ(previous, 3'000'000);
    }
}

TEST_F(FileDownloaderTest, FollowsRedirectsButNotFromHttpsToHttpNorToAnUntrustedServer) {
    server.setRoute("/files/real.zip", "zip");
    for (const char* path : {"/", "/x/asset.zip"})
        server.setRoute(path, "", {{"redirect", "/files/real.zip"}, {"status", 301}});
    EXPECT_EQ(fetched(server.url("/")), "download.zip");
    EXPECT_EQ(fetched(server.url("/x/asset.zip?token=1")), "asset.zip");
    if (!NginxServer::installed())
        GTEST_SKIP() << "needs Debian's nginx (scripts/test installs it)";
    const NginxServer secure(scratch());
    EXPECT_TRUE(failure(secure.baseUrl() + "/safe.zip")
                    .startsWith("Could not make a secure connection to 127.0.0.1: "));
    secure.trustCertificate();
    EXPECT_EQ(failure(secure.baseUrl() + "/to-http/main.zip"),
              "The server 127.0.0.1 redirected the secure download to an insecure (http) address, "
              "so it was refused.");
}

TEST_F(FileDownloaderTest, EachFailureIsAFinishedSentenceAndLeavesNoFile) {
    server.setRoute("/cut.zip", QByteArray(2'000'000, 'x'), {{"drop_after", 100'000}});
    server.setRoute("/silent.zip", "", {{"silent", true}});
    server.setRoute("/part.zip", "x", {{"status", 206}});
    QTcpServer mute; // takes connections and never says a word
    mute.listen(QHostAddress::LocalHost);
    const std::pair<QUrl, QString> cases[] = {
        {server.url("/silent.zip"),
         "The server 127.0.0.1 stopped sending data: nothing arrived for 0.3 seconds."},
        {QUrl("http://127.0.0.1:9/"), "Could not connect to 127.0.0.1: connection refused."},
        {server.url("/part.zip"), "The server sent part of the file when all of it was asked for."},
        {QString("https://127.0.0.1:%1/").arg(mute.serverPort()),
         "Could not connect to 127.0.0.1 within 0.3 seconds."},
    };
    for (const auto& [url, sentence] : cases)
        EXPECT_EQ(failure(url), sentence);
    EXPECT_EQ(server.requestLog().count("/part.zip"), 1);
    // The network layer's own check of a declared length is racy: try the cut body six times.
    for (int attempt = 0; attempt < 6; ++attempt)
        EXPECT_EQ(failure(server.url("/cut.zip")), cut);
    qputenv("TMPDIR", (scratch() + "/not-a-folder").toUtf8());
    testkit::writeFile(scratch(), "not-a-folder", "x");
    EXPECT_TRUE(failure(server.url("/files.zip"))
                    .startsWith("Could not make a folder for the download in " + scratch() +
                                "/not-a-folder: "));
    qputenv("TMPDIR", (home() + "/tmp").toUtf8());
    // Told before the body when its size is known, found out while writing when it is not.
    MOUNT_SMALL_DISK_OR_SKIP(QDir::tempPath(), "size=1m");
    server.setRoute("/known.zip", QByteArray(3'000'000, 'x'));
    server.setRoute("/unknown.zip", QByteArray(3'000'000, 'x'), {{"framing", "chunked"}});
    EXPECT_EQ(failure(server.url("/known.zip")),
              "Brennick needs about 3 MB free in " + QDir::tempPath() + "; only 1 MB are free.");
    EXPECT_TRUE(failure(server.url("/unknown.zip"))
                    .contains(QRegularExpression("^Brennick needs about 1(\\.\\d)? MB free in " +
                                                 QDir::tempPath() + "; only [^;]* are free\\.$")));
}

TEST_F(FileDownloaderTest, ACancelEndsTheTransferAtOnceOrPreventsIt) {
    server.setRoute("/slow.zip", QByteArray(1'000'000, 's'),
                    {{"trickle", 1'000}, {"interval", 20}});
    // Mid-body, once a steady trickle has gone on for longer than the stall limit: no stall.
    FileDownloader downloader(
        [&](const DownloadProgress& p) {
            if (p.received > 25'000)
                downloader.cancel();
        },
        quick);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(downloader.download(server.url("/slow.zip")), Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_THROW(downloader.download(server.url("/slow.zip")), Cancelled);
    CancelToken cancelled;
    cancelled.cancel();
    EXPECT_THROW(FileDownloader(nullptr).fetchText(server.url("/slow.zip"), &cancelled), Cancelled);
    EXPECT_EQ(server.requestLog().size(), 1) << "a cancelled downloader asks for nothing more";
}

TEST_F(FileDownloaderTest, FetchTextRepairsUtf8AndUsesTheProxyExceptForLoopback) {
    server.setRoute("/SHA512-SUMS.txt", "caf\xc3\xa9 \xff end\n");
    const QUrl remote("http://mirror.quillfire.invalid/SHA512-SUMS.txt");
    qputenv("http_proxy", server.baseUrl().toUtf8());
    // First, so that a fault can never send the request off this machine.
    ASSERT_EQ(SystemProxyFactory().queryProxy(QNetworkProxyQuery(remote)).value(0).port(),
              server.url("/").port());
    EXPECT_EQ(FileDownloader(nullptr).fetchText(remote), QString("caf\u00e9 \ufffd end\n"));
    FileDownloader(nullptr).fetchText(server.url("/SHA512-SUMS.txt"));
    EXPECT_EQ(server.requestLog(), (QStringList{remote.toString(), "/SHA512-SUMS.txt"}));
}

TEST_F(FileDownloaderTest, AFailureThatMayPassIsTriedAgainResumingABodyThatBrokeOff) {
    const QByteArray body(2'000'000, 'b');
    const QJsonObject drop{{"drop_after", 800'000}}, busy{{"status", 503}},
        noRange{{"status", 416}}, stall{{"stall_after", 1000}},
        changed{{"drop_after", 800'000}, {"body", server.bodyName(QByteArray(2'000'000, 'e'))}},
        dated{{"last_modified", "Tue, 01 Dec 2026 10:00:00 GMT"}},
        datedDrop{{"last_modified", dated["last_modified"]}, {"drop_after", 800'000}};
    // The first answers of a route; the requests after the first (N: as far as it got); why.
    const QString lost = "Connection lost";
    const struct { const char* path; QJsonArray answers; QStringList retries; QString reason;
                   } cases[] = {
        {.path = "/changed", .answers = {changed}, .retries = {"/changed Range: bytes=N-"},
         .reason = lost},
        {.path = "/dated", .answers = {datedDrop, dated}, // no ETag
         .retries = {"/dated Range: bytes=N-"}, .reason = lost},
        {.path = "/416", .answers = {drop, noRange}, .retries = {"/416 Range: bytes=N-", "/416"},
         .reason = lost},
        {.path = "/busy", .answers = {busy, busy}, .retries = {"/busy", "/busy"},
         .reason = "Server busy (HTTP 503)"},
        {.path = "/stall", .answers = {stall}, .retries = {"/stall Range: bytes=N-"},
         .reason = "No answer from the server"},
    };
    const DownloadChecks checks{.sha512 = true, .spaceFor = {}, .isWhole = {}};
    QList<Retries::Notice> notices;
    const auto onRetry = [&](const Retries::Notice& notice) { notices << notice; };
    const QRegularExpression offset("=[1-9]\\d*-");
    for (const auto& [path, answers, retries, reason] : cases) {
        SCOPED_TRACE(path);
        server.setRoute(path, body, {{"answers", answers}});
        const qsizetype asked = server.requestLog().size();
        notices.clear();
        FileDownloader downloader(nullptr, quick, onRetry);
        const QString file = downloader.download(server.url(path), nullptr, checks);
        EXPECT_EQ(testkit::readFile(file), body) << path;
        EXPECT_EQ(downloader.sha512(),
                  QCryptographicHash::hash(body, QCryptographicHash::Sha512).toHex());
        EXPECT_EQ(server.requestLog().mid(asked + 1).replaceInStrings(offset, "=N-"), retries)
            << path;
        EXPECT_EQ(notices.value(0).reason, reason);
    }
    // The wait the server asks for, which a cancel ends.
    server.setRoute("/busy.zip", "", {{"status", 503}, {"retry_after", 50}});
    notices.clear();
    FileDownloader downloader(nullptr, {}, [&](const Retries::Notice& notice) {
        onRetry(notice);
        downloader.cancel();
    });
    EXPECT_THROW(downloader.download(server.url("/busy.zip")), Cancelled);
    EXPECT_EQ(notices.value(0).secondsLeft, 50) << "as the server asks";
    EXPECT_EQ(notices.size(), 1) << "the cancel ends the wait";
    const auto wait = [](int retry, std::chrono::seconds after) {
        return Retries::delay({}, retry, Problem::http(503, after));
    };
    EXPECT_EQ(wait(1, std::chrono::seconds::max()), 60s) << "never more than a minute";
    for (int retry = 1; retry <= 3; ++retry) {
        const auto planned = DownloadTimeouts().retryDelays[retry - 1];
        EXPECT_TRUE(wait(retry, -1s) >= planned * 0.8 && wait(retry, -1s) <= planned * 1.2);
    }
}

TEST(SpeedMeter, AveragesOverWindowsOfAtLeastHalfASecond) {
    const SpeedMeter::Clock::time_point made{};
    SpeedMeter meter(made);
    EXPECT_EQ(meter.update(30000, made + 499ms), 0);
    EXPECT_EQ(meter.update(50000, made + 500ms), 100000);
    EXPECT_EQ(meter.update(250000, made + 1300ms), 250000);
}

class FetchGame : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        testkit::writeFile(Paths::gameFolder(), "old.txt", "earlier game");
    }
    void fetch() { RepoDownloader::fetchGame(makeDownloader(), log, token); }
    QString branch(const QString& name) { return QUrl(RepoDownloader::archiveUrl(name)).path(); }
    const QStringList earlierOnly{"data/Brennick", "data/Brennick/Game",
                                  "data/Brennick/Game/old.txt"};
};

TEST_F(FetchGame, ReplacesTheGameWithTheMainBranchAndClearsAnInterruptedOne) {
    testkit::writeFile(Paths::gameStagingFolder(), "leftover.txt", "from an interrupted run");
    server.serveGameArchive(testkit::gameZip());
    fetch();
    // The game it replaced is kept as the previous version.
    EXPECT_EQ(tree().filter(QRegularExpression("tmp/|staging|old|left|project.godot")),
              (QStringList{"data/Brennick/Game.previous/old.txt",
                           "data/Brennick/Game/godot_brennick-main/project.godot"}));
    EXPECT_EQ(log.lines().last(), "Game ready in " + Paths::gameFolder());
}

TEST_F(FetchGame, AFailureLeavesTheEarlierGameAndNothingElse) {
    const QByteArray good = testkit::gameZip(), none = ziptest::zip({Entry::file("g/README", "")});
    QByteArray damaged = good;
    for (qsizetype at = good.size() / 8; at < good.size(); at += good.size() / 8)
        damaged[at] = static_cast<char>(~damaged[at]);
    const QString signIn = "The server 127.0.0.1 sent a web page instead of the file. If this "
                           "network wants you to sign in first (as in hotels, airports and "
                           "caf\u00e9s), sign in with a web browser and press Play again.";
    const struct { const char* name; QByteArray main = {}; QJsonObject how = {}; QString sentence;
                   int requests; } rows[] = {
        {.name = "server trouble", .main = "broken", .how = {{"status", 500}},
         .sentence = "The server answered with HTTP 500.", .requests = 4},
        // Each try brings a tenth: the body is never whole, so every try ends the same way.
        {.name = "cut, no length", .main = good,
         .how = {{"framing", "close"}, {"drop_after", good.size() / 10}}, .sentence = cut,
         .requests = 4},
        {.name = "whole but damaged", .main = damaged,
         .sentence = "The file from 127.0.0.1 arrived in full but is damaged: the copy on the "
                     "server is broken. Try again later.",
         .requests = 2},
        {.name = "typed as a web page", .main = "Welcome to the Airport Wi-Fi",
         .how = {{"content_type", "text/html; charset=utf-8"}}, .sentence = signIn, .requests = 1},
        {.name = "starts like a web page", .main = " <!DOCTYPE html><html>Sign in</html>",
         .sentence = signIn, .requests = 1},
        {.name = "no project", .main = none,
         .sentence = "The downloaded game has no project.godot file, so it can't be started.",
         .requests = 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testkit::HttpTestServer own;
        own.useAsHostingService();
        own.setRoute(branch("main"), row.main, row.how);
        own.serveGameArchive(good, "master"); // there, but only a 404 moves on to it
        EXPECT_EQ(failureOf([this] { fetch(); }), row.sentence);
        // After a cut the network library may ask once more by itself, on a loaded machine.
        const qsizetype asked = own.requestLog().size();
        EXPECT_TRUE(asked == row.requests || (row.sentence == cut && asked > row.requests))
            << asked;
        EXPECT_EQ(tree(), earlierOnly);
    }
}

} // namespace
