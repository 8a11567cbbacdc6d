#include "download/RepoDownloader.h"

#include "download/DownloadError.h"
#include "support/Paths.h"
#include "testkit/InstallFixture.h"
#include "testkit/ZipBuilder.h"

using ziptest::Entry;

namespace {

QByteArray gameZip(const QString& top = "godot_brennick-main") {
    return ziptest::zip(
        {Entry::folder(top + "/"), Entry::file(top + "/project.godot", "config_version=4\n")});
}

QString branchPath(const QString& branch) {
    return QUrl(RepoDownloader::archiveUrl(branch)).path();
}

class FetchGame : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        testkit::writeFile(Paths::gameFolder(), "old.txt", "earlier game");
    }
    void fetch() { RepoDownloader::fetchGame(makeDownloader(), log, token); }
    void expectOnlyTheEarlierGame() {
        EXPECT_EQ(tree(), (QStringList{"data/Brennick", "data/Brennick/Game",
                                       "data/Brennick/Game/old.txt"}));
    }
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
    EXPECT_EQ(other.requestLog(), (QStringList{branchPath("main"), branchPath("master")}));
    EXPECT_EQ(downloadersMade, 3);
}

TEST_F(FetchGame, AFailureLeavesTheEarlierGameAndNothingElse) {
    const QString unpackFailed = "Unpacking the game failed (ditto exit code 1).";
    const QByteArray good = gameZip();
    const std::tuple<const char*, std::function<void(testkit::HttpTestServer&)>, QString,
                     QStringList>
        cases[] = {
            {"server error on main",
             [&](auto& s) {
                 s.setBody(branchPath("main"), "broken", 500);
                 s.serveGameArchive(good, "master");
             },
             "The server answered with HTTP 500.",
             {branchPath("main")}},
            {"neither branch",
             [](auto&) {},
             "The server answered with HTTP 404.",
             {branchPath("main"), branchPath("master")}},
            {"truncated",
             [&](auto& s) { s.serveGameArchive(good.left(good.size() / 2)); },
             unpackFailed,
             {branchPath("main")}},
            {"absolute link",
             [](auto& s) {
                 s.serveGameArchive(ziptest::zip(
                     {Entry::file("g/project.godot", "x"), Entry::link("g/etc", "/etc")}));
             },
             unpackFailed,
             {branchPath("main")}},
            {"no project",
             [](auto& s) { s.serveGameArchive(ziptest::zip({Entry::file("g/README.md", "")})); },
             "The downloaded game has no project.godot file, so it can't be started.",
             {branchPath("main")}},
        };
    for (const auto& [what, serve, sentence, requests] : cases) {
        SCOPED_TRACE(what);
        testkit::HttpTestServer own;
        own.useAsHostingService();
        serve(own);
        EXPECT_EQ(failureOf([this] { fetch(); }), sentence);
        EXPECT_EQ(own.requestLog(), requests);
        expectOnlyTheEarlierGame();
    }
}

TEST_F(FetchGame, ACancelLeavesTheEarlierGame) {
    testkit::HttpRoute slow;
    slow.body = gameZip();
    slow.trickleBytes = 16;
    server.setRoute(branchPath("main"), slow);
    onProgress = [this](const DownloadProgress&) { token.cancel(); };
    EXPECT_THROW(fetch(), Cancelled);
    expectOnlyTheEarlierGame();
    EXPECT_THROW(fetch(), Cancelled) << "already cancelled before the download";
    EXPECT_EQ(server.requestLog().size(), 1);
}

} // namespace
