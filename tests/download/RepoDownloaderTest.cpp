#include "download/RepoDownloader.h"

#include "download/DownloadError.h"
#include "support/Paths.h"
#include "testkit/InstallFixture.h"
#include "testkit/ZipBuilder.h"

using ziptest::Entry;

namespace {

QByteArray gameZip(const QString& top = "godot_brennick-main") {
    return ziptest::zip({Entry::folder(top + "/"), Entry::file(top + "/project.godot", "")});
}

QString branch(const QString& name) {
    return QUrl(RepoDownloader::archiveUrl(name)).path();
}

class FetchGame : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        testkit::writeFile(Paths::gameFolder(), "old.txt", "earlier game");
    }
    void fetch() { RepoDownloader::fetchGame(makeDownloader(), log, token); }
    const QStringList earlierOnly{"data/Brennick", "data/Brennick/Game",
                                  "data/Brennick/Game/old.txt"};
};

TEST_F(FetchGame, ReplacesTheGameWithTheMainBranchOrElseMaster) {
    testkit::writeFile(Paths::gameStagingFolder(), "leftover.txt", "from an interrupted run");
    server.serveGameArchive(gameZip());
    fetch();
    EXPECT_EQ(tree(), (QStringList{"data/Brennick", "data/Brennick/Game",
                                   "data/Brennick/Game/godot_brennick-main",
                                   "data/Brennick/Game/godot_brennick-main/project.godot"}));
    EXPECT_EQ(log.lines(),
              (QStringList{"Downloading " + server.baseUrl() +
                               "/varnel/godot_brennick/archive/refs/heads/main.zip",
                           "Unpacking the game", "Game ready in " + Paths::gameFolder()}));
    testkit::HttpTestServer other;
    other.useAsHostingService();
    other.serveGameArchive(gameZip("godot_brennick-master"), "master");
    fetch();
    EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder() + "/godot_brennick-master/project.godot"));
    EXPECT_EQ(other.requestLog(), (QStringList{branch("main"), branch("master")}));
    EXPECT_EQ(downloadersMade, 3);
}

TEST_F(FetchGame, AFailureLeavesTheEarlierGameAndNothingElse) {
    const QString unpackFailed = "Unpacking the game failed (ditto exit code 1).";
    const QByteArray good = gameZip();
    const std::tuple<const char*, std::function<void(testkit::HttpTestServer&)>, QString, int>
        cases[] = {
            {"server error on main",
             [&](auto& s) {
                 s.setRoute(branch("main"), "broken", {{"status", 500}});
                 s.serveGameArchive(good, "master");
             },
             "The server answered with HTTP 500.", 4},
            {"neither branch", [](auto&) {}, "The server answered with HTTP 404.", 2},
            {"cut inside a chunk",
             [&](auto& s) {
                 s.setRoute(branch("main"), good,
                            {{"framing", "chunked"}, {"drop_after", good.size() / 2}});
             },
             "The server 127.0.0.1 closed the connection before the download was complete.", 4},
            {"cut without a length",
             [&](auto& s) {
                 s.setRoute(branch("main"), good,
                            {{"framing", "close"}, {"drop_after", good.size() / 2}});
             },
             "The server 127.0.0.1 closed the connection before the download was complete.", 4},
            {"absolute link",
             [](auto& s) {
                 s.serveGameArchive(ziptest::zip(
                     {Entry::file("g/project.godot", ""), Entry::link("g/etc", "/etc")}));
             },
             unpackFailed, 1},
            {"no project",
             [](auto& s) { s.serveGameArchive(ziptest::zip({Entry::file("g/README", "")})); },
             "The downloaded game has no project.godot file, so it can't be started.", 1},
        };
    for (const auto& [what, serve, sentence, requests] : cases) {
        testkit::HttpTestServer own;
        own.useAsHostingService();
        serve(own);
        EXPECT_EQ(failureOf([this] { fetch(); }), sentence) << what;
        EXPECT_EQ(own.requestLog().size(), requests) << what;
        EXPECT_EQ(tree(), earlierOnly) << what;
    }
}

TEST_F(FetchGame, ACancelLeavesTheEarlierGame) {
    server.setRoute(branch("main"), gameZip(), {{"trickle", 16}});
    onProgress = [this](const DownloadProgress&) { token.cancel(); };
    EXPECT_THROW(fetch(), Cancelled);
    EXPECT_EQ(tree(), earlierOnly);
    EXPECT_THROW(fetch(), Cancelled) << "already cancelled before the download";
    EXPECT_EQ(server.requestLog().size(), 1);
}

} // namespace
