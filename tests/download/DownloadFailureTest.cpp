#include "DownloadFixture.h"

#include "download/DownloadError.h"

#include <QScopeGuard>
#include <QTcpServer>

#include <chrono>

using testkit::HttpRoute;
using testkit::HttpTestServer;
using namespace std::chrono_literals;

namespace {

// The sentence of the TransportError that `download` throws; fails the test otherwise.
QString transportFailure(FileDownloader& downloader, const QUrl& url) {
    try {
        downloader.download(url);
        ADD_FAILURE() << "download of " << url.toString().toStdString() << " succeeded";
    } catch (const TransportError& error) {
        return error.description();
    } catch (const std::exception& error) {
        ADD_FAILURE() << "not a transport error: " << error.what();
    }
    return {};
}

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

TEST_F(DownloadFixture, HttpErrorStatusesKeepNoBody) {
    for (const int status : {404, 500}) {
        server.setBody(QStringLiteral("/main.zip"), "error page", status);
        try {
            FileDownloader(nullptr).download(server.url(QStringLiteral("/main.zip")));
            ADD_FAILURE() << "HTTP " << status << " must fail";
        } catch (const DownloadError& error) {
            EXPECT_EQ(error.kind(), DownloadError::Kind::Http);
            EXPECT_EQ(error.httpStatus(), status);
            EXPECT_EQ(error.description(),
                      QStringLiteral("The server answered with HTTP %1.").arg(status));
        }
        EXPECT_EQ(newTempEntries(), QStringList());
    }
}

// Repeated because the network layer's own check is racy (it sometimes calls a cut body
// complete). A chunked body cut at a chunk boundary cannot be told from a complete one
// with Qt 6.4's public interface, so only a declared length is tested.
TEST_F(DownloadFixture, ACutConnectionIsAFailureNeverAShortFile) {
    HttpRoute route;
    route.body = bodyOfSize(2'000'000);
    route.dropAfter = 700'000;
    server.setRoute(QStringLiteral("/main.zip"), route);
    for (int attempt = 0; attempt < 10; ++attempt) {
        FileDownloader downloader(nullptr);
        EXPECT_EQ(transportFailure(downloader, server.url(QStringLiteral("/main.zip"))),
                  QStringLiteral("The server 127.0.0.1 closed the connection before the download "
                                 "was complete."));
        EXPECT_TRUE(downloadFolders().isEmpty());
    }
}

TEST_F(DownloadFixture, GivesUpOnAServerThatStopsSending) {
    HttpRoute stalled;
    stalled.body = bodyOfSize(100'000);
    stalled.stallAfter = 1'000;
    server.setRoute(QStringLiteral("/stalled.zip"), stalled);
    HttpRoute silent;
    silent.silent = true;
    server.setRoute(QStringLiteral("/silent.zip"), silent);

    for (const QString& path : {QStringLiteral("/stalled.zip"), QStringLiteral("/silent.zip")}) {
        FileDownloader downloader(nullptr, {.connect = 15s, .stall = 300ms});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(transportFailure(downloader, server.url(path)),
                  QStringLiteral("The server 127.0.0.1 stopped sending data: nothing arrived for "
                                 "0.3 seconds."));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_TRUE(downloadFolders().isEmpty());
    }
}

TEST_F(DownloadFixture, ConnectionFailuresAreFinishedSentences) {
    const QString refused = QStringLiteral("http://127.0.0.1:%1/main.zip").arg(closedPort());
    FileDownloader first(nullptr);
    EXPECT_EQ(transportFailure(first, QUrl(refused)),
              QStringLiteral("Could not connect to 127.0.0.1: connection refused."));

    // A plain HTTP server never answers a TLS greeting: the connection never stands.
    FileDownloader second(nullptr, {.connect = 300ms, .stall = 30s});
    EXPECT_EQ(transportFailure(second, QUrl(server.baseUrl().replace(QStringLiteral("http:"),
                                                                     QStringLiteral("https:")) +
                                            QStringLiteral("/main.zip"))),
              QStringLiteral("Could not connect to 127.0.0.1 within 0.3 seconds."));
    EXPECT_TRUE(downloadFolders().isEmpty());
}

TEST_F(DownloadFixture, RefusesAnUntrustedCertificate) {
    HttpTestServer secure(HttpTestServer::Tls::On);
    secure.setBody(QStringLiteral("/main.zip"), "zip");
    FileDownloader downloader(nullptr);
    const QString sentence = transportFailure(downloader, secure.url(QStringLiteral("/main.zip")));
    EXPECT_TRUE(
        sentence.startsWith(QStringLiteral("Could not make a secure connection to 127.0.0.1: ")))
        << sentence.toStdString();
    EXPECT_TRUE(secure.requestLog().isEmpty());
    EXPECT_TRUE(downloadFolders().isEmpty());
}

TEST_F(DownloadFixture, NeverFollowsARedirectFromHttpsToHttp) {
    HttpTestServer secure(HttpTestServer::Tls::On);
    secure.trustCertificate();
    secure.setBody(QStringLiteral("/safe.zip"), "safe");
    HttpRoute downgrade;
    downgrade.redirectTo = server.url(QStringLiteral("/main.zip")).toString();
    secure.setRoute(QStringLiteral("/main.zip"), downgrade);
    server.setBody(QStringLiteral("/main.zip"), "zip");

    FileDownloader trusted(nullptr);
    const QString path = trusted.download(secure.url(QStringLiteral("/safe.zip")));
    EXPECT_EQ(testkit::readFile(path), "safe");
    QDir(QFileInfo(path).absolutePath()).removeRecursively();

    FileDownloader downloader(nullptr);
    EXPECT_EQ(transportFailure(downloader, secure.url(QStringLiteral("/main.zip"))),
              QStringLiteral("The server 127.0.0.1 redirected the secure download to an insecure "
                             "(http) address, so it was refused."));
    EXPECT_TRUE(server.requestLog().isEmpty());
    EXPECT_TRUE(downloadFolders().isEmpty());
}

TEST_F(DownloadFixture, NoFileWhenTheTemporaryFolderCannotBeMade) {
    server.setBody(QStringLiteral("/main.zip"), "zip");
    testkit::writeFile(scratch(), QStringLiteral("not-a-folder"), "x");
    const QByteArray tmpBefore = qgetenv("TMPDIR");
    const auto restore = qScopeGuard([&] { qputenv("TMPDIR", tmpBefore); });
    qputenv("TMPDIR", (scratch() + QStringLiteral("/not-a-folder/tmp")).toUtf8());

    try {
        FileDownloader(nullptr).download(server.url(QStringLiteral("/main.zip")));
        ADD_FAILURE() << "a download without a folder must fail";
    } catch (const DownloadError& error) {
        EXPECT_EQ(error.kind(), DownloadError::Kind::NoFile);
    }
    EXPECT_TRUE(server.requestLog().isEmpty());
}
