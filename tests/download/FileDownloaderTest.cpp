#include "DownloadFixture.h"

#include "download/DownloadError.h"

#include <QCryptographicHash>
#include <QRegularExpression>

#include <chrono>

using testkit::HttpRoute;
using namespace std::chrono_literals;

namespace {

struct Recorded {
    std::vector<DownloadProgress> events;
    FileDownloader::ProgressHandler handler() {
        return [this](const DownloadProgress& p) { events.push_back(p); };
    }
};

} // namespace

TEST_F(DownloadFixture, StreamsTheBodyIntoAFreshFolderWithItsDigest) {
    const QByteArray body = bodyOfSize(3'000'000);
    testkit::writeFile(scratch(), QStringLiteral("Godot_v3.5.3-stable_x11.64.zip"), body);
    server.serveFolder(scratch());
    Recorded progress;
    FileDownloader downloader(progress.handler());

    const QString path =
        downloader.download(server.url(QStringLiteral("/Godot_v3.5.3-stable_x11.64.zip")), nullptr,
                            FileDownloader::Digest::Sha512);

    const QFileInfo file(path);
    EXPECT_EQ(file.fileName(), QStringLiteral("Godot_v3.5.3-stable_x11.64.zip"));
    EXPECT_EQ(file.absolutePath().section(QLatin1Char('/'), 0, -2), QDir::tempPath());
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^Brennick-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
            .match(file.dir().dirName())
            .hasMatch())
        << file.dir().dirName().toStdString();
    EXPECT_EQ(testkit::readFile(path), body);
    EXPECT_EQ(
        downloader.sha512(),
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha512).toHex()));

    ASSERT_FALSE(progress.events.empty());
    qint64 previous = 0;
    for (const DownloadProgress& p : progress.events) {
        EXPECT_EQ(p.total, body.size());
        EXPECT_GT(p.received, previous);
        previous = p.received;
    }
    EXPECT_EQ(progress.events.back().received, body.size());
    QDir(file.absolutePath()).removeRecursively();
}

class UnknownLength : public DownloadFixture,
                      public ::testing::WithParamInterface<HttpRoute::Framing> {};

TEST_P(UnknownLength, ReportsTotalZeroWhileReceivedGrows) {
    HttpRoute route;
    route.body = bodyOfSize(2'500'000);
    route.framing = GetParam();
    server.setRoute(QStringLiteral("/archive.zip"), route);
    Recorded progress;
    FileDownloader downloader(progress.handler());

    const QString path = downloader.download(server.url(QStringLiteral("/archive.zip")));

    EXPECT_EQ(testkit::readFile(path), route.body);
    ASSERT_FALSE(progress.events.empty());
    for (const DownloadProgress& p : progress.events)
        EXPECT_EQ(p.total, 0);
    EXPECT_EQ(progress.events.back().received, route.body.size());
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
}

INSTANTIATE_TEST_SUITE_P(Framings, UnknownLength,
                         ::testing::Values(HttpRoute::Framing::CloseDelimited,
                                           HttpRoute::Framing::Chunked));

TEST_F(DownloadFixture, NamesTheFileFromTheFirstRequestedAddress) {
    struct Case {
        QString requested;
        QString expectedName;
    };
    server.setBody(QStringLiteral("/files/real.zip"), "zip");
    HttpRoute moved;
    moved.redirectTo = QStringLiteral("/files/real.zip");
    for (const QString& path : {QStringLiteral("/"), QStringLiteral("/refs/heads/"),
                                QStringLiteral("/latest"), QStringLiteral("/x/asset.zip")})
        server.setRoute(path, moved);

    for (const Case& c :
         {Case{QStringLiteral("/"), QStringLiteral("download.zip")},
          Case{QStringLiteral("/refs/heads/"), QStringLiteral("download.zip")},
          Case{QStringLiteral("/latest"), QStringLiteral("latest")},
          Case{QStringLiteral("/x/asset.zip?token=1"), QStringLiteral("asset.zip")}}) {
        FileDownloader downloader(nullptr);
        const QString path = downloader.download(server.url(c.requested));
        EXPECT_EQ(QFileInfo(path).fileName(), c.expectedName) << c.requested.toStdString();
        EXPECT_EQ(testkit::readFile(path), "zip");
        QDir(QFileInfo(path).absolutePath()).removeRecursively();
    }
}

TEST_F(DownloadFixture, FollowsRedirectsAndJudgesOnlyTheFinalStatus) {
    server.setBody(QStringLiteral("/new.zip"), "final body");
    server.setBody(QStringLiteral("/missing.zip"), "not here", 404);
    HttpRoute toNew;
    toNew.redirectTo = QStringLiteral("/new.zip");
    toNew.body = "redirect body";
    toNew.status = 301;
    server.setRoute(QStringLiteral("/old.zip"), toNew);
    HttpRoute toMissing;
    toMissing.redirectTo = server.url(QStringLiteral("/missing.zip")).toString();
    server.setRoute(QStringLiteral("/gone.zip"), toMissing);

    FileDownloader downloader(nullptr);
    const QString path = downloader.download(server.url(QStringLiteral("/old.zip")));
    EXPECT_EQ(testkit::readFile(path), "final body");
    QDir(QFileInfo(path).absolutePath()).removeRecursively();

    try {
        FileDownloader(nullptr).download(server.url(QStringLiteral("/gone.zip")));
        FAIL() << "a redirect to a 404 must fail";
    } catch (const DownloadError& error) {
        EXPECT_EQ(error.httpStatus(), 404);
    }
    EXPECT_EQ(server.requestLog(),
              (QStringList{QStringLiteral("/old.zip"), QStringLiteral("/new.zip"),
                           QStringLiteral("/gone.zip"), QStringLiteral("/missing.zip")}));
    EXPECT_TRUE(downloadFolders().isEmpty());
}

TEST_F(DownloadFixture, WorksOnAPlainWorkerThread) {
    server.setBody(QStringLiteral("/main.zip"), bodyOfSize(100'000));
    QString path;
    std::thread worker(
        [&] { path = FileDownloader(nullptr).download(server.url(QStringLiteral("/main.zip"))); });
    worker.join();
    EXPECT_EQ(testkit::readFile(path), bodyOfSize(100'000));
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
}

TEST_F(DownloadFixture, SpeedChangesOnlyAfterHalfSecondWindows) {
    HttpRoute route;
    route.body = bodyOfSize(60'000);
    route.trickleBytes = 2'000;
    route.trickleInterval = 50ms; // 40 KB/s for 1.5 s
    server.setRoute(QStringLiteral("/slow.zip"), route);
    using Clock = std::chrono::steady_clock;
    struct Event {
        double secondsSinceMade;
        DownloadProgress progress;
    };
    std::vector<Event> events;
    const auto made = Clock::now();
    FileDownloader downloader([&](const DownloadProgress& p) {
        events.push_back({std::chrono::duration<double>(Clock::now() - made).count(), p});
    });

    const QString path = downloader.download(server.url(QStringLiteral("/slow.zip")));
    QDir(QFileInfo(path).absolutePath()).removeRecursively();

    ASSERT_GT(events.size(), 10u);
    int repeats = 0;
    double lastChange = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        if (e.secondsSinceMade < 0.5) {
            EXPECT_EQ(e.progress.bytesPerSecond, 0) << "event " << i;
        }
        if (i == 0 || e.progress.bytesPerSecond == events[i - 1].progress.bytesPerSecond) {
            repeats += i > 0;
            continue;
        }
        EXPECT_GE(e.secondsSinceMade - lastChange, 0.45) << "event " << i;
        lastChange = e.secondsSinceMade;
    }
    EXPECT_GT(repeats, 5);
    EXPECT_GT(events.back().progress.bytesPerSecond, 0);
    EXPECT_LT(events.back().progress.bytesPerSecond, 3 * 40'000);
}
