#include "DownloadFixture.h"

#include "download/DownloadError.h"
#include "download/SystemProxyFactory.h"

#include <QNetworkProxy>

TEST_F(DownloadFixture, FetchTextRepairsBrokenUtf8) {
    server.setBody(QStringLiteral("/SHA512-SUMS.txt"), "caf\xc3\xa9 \xff\xfe end\n");
    EXPECT_EQ(FileDownloader::fetchText(server.url(QStringLiteral("/SHA512-SUMS.txt"))),
              QStringLiteral("caf\u00e9 \ufffd\ufffd end\n"));
}

TEST_F(DownloadFixture, FetchTextFailsOnAnErrorStatus) {
    server.setBody(QStringLiteral("/SHA512-SUMS.txt"), "gone", 404);
    try {
        FileDownloader::fetchText(server.url(QStringLiteral("/SHA512-SUMS.txt")));
        FAIL() << "HTTP 404 must fail";
    } catch (const DownloadError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("The server answered with HTTP 404."));
    }
}

// Through the user's proxy for other hosts; this machine's own addresses always directly.
TEST_F(DownloadFixture, HonoursTheProxyVariableExceptForLoopback) {
    server.setBody(QStringLiteral("/SHA512-SUMS.txt"), "through the proxy");
    qputenv("http_proxy", server.baseUrl().toUtf8());
    const auto restore = qScopeGuard([] { qunsetenv("http_proxy"); });
    const QUrl remote(QStringLiteral("http://mirror.quillfire.invalid/SHA512-SUMS.txt"));

    // Checked first so that a regression can never send the request off this machine.
    const QList<QNetworkProxy> proxies =
        SystemProxyFactory().queryProxy(QNetworkProxyQuery(remote));
    ASSERT_FALSE(proxies.isEmpty());
    ASSERT_EQ(proxies.first().type(), QNetworkProxy::HttpProxy);
    ASSERT_EQ(proxies.first().port(), server.port());
    EXPECT_EQ(SystemProxyFactory()
                  .queryProxy(QNetworkProxyQuery(server.url(QStringLiteral("/x"))))
                  .first()
                  .type(),
              QNetworkProxy::NoProxy);

    EXPECT_EQ(FileDownloader::fetchText(remote), QStringLiteral("through the proxy"));
    EXPECT_EQ(FileDownloader::fetchText(server.url(QStringLiteral("/SHA512-SUMS.txt"))),
              QStringLiteral("through the proxy"));
    EXPECT_EQ(server.requestLog(),
              (QStringList{remote.toString(), QStringLiteral("/SHA512-SUMS.txt")}));
}
