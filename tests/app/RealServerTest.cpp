// Plays against Debian's nginx (HTTP/2 over TLS) as the hosting service, and resumes a download
// that broke off against what a real server answers to Range and If-Range.
#include "LaunchFixture.h"

#include "testkit/NginxServer.h"
#include "testkit/ZipBuilder.h"

#include <QJsonArray>

namespace {

class RealServer : public Launch {
protected:
    void SetUp() override {
        Launch::SetUp();
        if (!NginxServer::installed())
            GTEST_SKIP() << "needs Debian's nginx (scripts/test installs it)";
        const EngineSpec spec = testkit::sampleEngine();
        // Padded so that a download cut at 40 % has something to resume.
        const QByteArray engine =
            ziptest::zip({ziptest::Entry::file(spec.assetName().chopped(4),
                                               testkit::readFile(testkit::standinEngine()), 0755),
                          ziptest::Entry::file("padding", QByteArray(1'000'000, 'p'))},
                         ziptest::Compression::Store);
        const QString mirror = scratch() + "/mirror";
        testkit::writeFile(mirror, enginePath, engine);
        testkit::writeFile(mirror, sumsPath, testkit::sumsLine(engine, spec.assetName()));
        testkit::writeFile(mirror, gamePath, testkit::gameZip("game_seconds=1"));
        nginx = std::make_unique<NginxServer>(mirror);
        ASSERT_TRUE(nginx->running()) << "nginx did not start";
        nginx->trustCertificate();
    }

    std::unique_ptr<NginxServer> nginx;
};

TEST_F(RealServer, APlayOverHttp2AndTls) {
    qputenv("QUILLFIRE_HOSTING_URL", nginx->baseUrl().toUtf8());
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
    EXPECT_EQ(nginx->accessLog().count("HTTP/2.0\" 200"), 3) << nginx->accessLog();
}

// The fault server passes nginx's answers on, the first for the engine cut at 40 %.
TEST_F(RealServer, ADownloadThatBrokeOffResumesAgainstARealServer) {
    server.setRoute(enginePath, "",
                    {{"proxy", nginx->baseUrl() + enginePath},
                     {"answers", QJsonArray{QJsonObject{{"drop_after", 400'000}}}}});
    server.setRoute(sumsPath, "", {{"proxy", nginx->baseUrl() + sumsPath}});
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
    EXPECT_EQ(server.requestLog().filter(enginePath + " Range: bytes=").size(), 1);
    EXPECT_TRUE(nginx->accessLog().contains(enginePath + " HTTP/1.1\" 206 ")) << nginx->accessLog();
}

} // namespace
