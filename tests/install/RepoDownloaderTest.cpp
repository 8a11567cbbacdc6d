#include "download/RepoDownloader.h"
#include "InstallFixture.h"
#include "download/DownloadError.h"
#include "support/Paths.h"
#include "testkit/ZipBuilder.h"

using ziptest::Entry;

namespace {

QByteArray gameZip(const QString& top = "godot_brennick-main") {
    return ziptest::zip({Entry::folder(top + "/"),
                         Entry::file(top + "/project.godot", "config_version=4\n"),
                         Entry::file(top + "/scripts/player.gd", "extends Node\n")});
}

QString branchPath(const QString& branch) {
    return QUrl(RepoDownloader::archiveUrl(branch)).path();
}

class FetchGame : public InstallFixture {
protected:
    void fetch() { RepoDownloader::fetchGame(makeDownloader(), log, token); }
    void expectFailure(const QString& text) {
        try {
            fetch();
            ADD_FAILURE() << "the fetch succeeded";
        } catch (const UserError& error) {
            EXPECT_EQ(error.description(), text);
        }
    }
    void writeEarlierGame() {
        testkit::writeFile(Paths::gameFolder(), "old.txt", "earlier game");
        testkit::writeFile(Paths::gameFolder(), ".setup2-done-3.5.3", "");
    }
    void expectOnlyEarlierGame() {
        EXPECT_EQ(dataTree(),
                  (QStringList{"Brennick", "Brennick/Game", "Brennick/Game/.setup2-done-3.5.3",
                               "Brennick/Game/old.txt"}));
        EXPECT_TRUE(newTempEntries().isEmpty()) << newTempEntries().join(", ").toStdString();
    }
};

TEST_F(FetchGame, ReplacesTheGameWithTheMainBranch) {
    writeEarlierGame();
    testkit::writeFile(Paths::gameStagingFolder(), "leftover.txt", "from an interrupted run");
    server.serveGameArchive(gameZip());

    fetch();

    EXPECT_EQ(dataTree(),
              (QStringList{"Brennick", "Brennick/Game", "Brennick/Game/godot_brennick-main",
                           "Brennick/Game/godot_brennick-main/project.godot",
                           "Brennick/Game/godot_brennick-main/scripts",
                           "Brennick/Game/godot_brennick-main/scripts/player.gd"}));
    EXPECT_EQ(log.lines(),
              (QStringList{"Downloading " + RepoDownloader::archiveUrl("main"),
                           "Unpacking the game", "Game ready in " + Paths::gameFolder()}));
    EXPECT_EQ(server.requestLog(), QStringList{branchPath("main")});
    EXPECT_EQ(RepoDownloader::archiveUrl("main"),
              server.baseUrl() + "/varnel/godot_brennick/archive/refs/heads/main.zip");
    EXPECT_TRUE(newTempEntries().isEmpty());
}

TEST_F(FetchGame, TriesMasterOnlyWhenMainIsNotFound) {
    server.serveGameArchive(gameZip("godot_brennick-master"), "master");
    fetch();
    EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder() + "/godot_brennick-master/project.godot"));
    EXPECT_EQ(server.requestLog(), (QStringList{branchPath("main"), branchPath("master")}));
    EXPECT_EQ(log.lines().mid(0, 2),
              (QStringList{"Downloading " + RepoDownloader::archiveUrl("main"),
                           "Downloading " + RepoDownloader::archiveUrl("master")}));
    EXPECT_EQ(downloadersMade, 2);
}

TEST_F(FetchGame, StopsAtTheFirstFailureThatIsNotNotFound) {
    writeEarlierGame();
    server.setBody(branchPath("main"), "broken", 500);
    server.serveGameArchive(gameZip(), "master");
    expectFailure("The server answered with HTTP 500.");
    EXPECT_EQ(server.requestLog(), QStringList{branchPath("main")});
    expectOnlyEarlierGame();
}

TEST_F(FetchGame, ReportsNotFoundWhenNeitherBranchExists) {
    writeEarlierGame();
    expectFailure("The server answered with HTTP 404.");
    EXPECT_EQ(server.requestLog(), (QStringList{branchPath("main"), branchPath("master")}));
    expectOnlyEarlierGame();
}

TEST_F(FetchGame, AnArchiveThatCannotBecomeTheGameLeavesTheEarlierGame) {
    const QString unpackFailed = "Unpacking the game failed (ditto exit code 1).";
    const QByteArray good = gameZip();
    const std::vector<std::tuple<const char*, QByteArray, QString>> cases{
        {"truncated", good.left(good.size() / 2), unpackFailed},
        {"entry climbing out",
         ziptest::zip({Entry::file("g/project.godot", "x"), Entry::file("g/../../../evil", "x")}),
         unpackFailed},
        {"absolute link",
         ziptest::zip({Entry::file("g/project.godot", "x"), Entry::link("g/etc", "/etc")}),
         unpackFailed},
        {"no project", ziptest::zip({Entry::file("g/README.md", "no project here")}),
         "The downloaded game has no project.godot file, so it can't be started."},
    };
    writeEarlierGame();
    for (const auto& [what, zip, text] : cases) {
        SCOPED_TRACE(what);
        server.serveGameArchive(zip);
        expectFailure(text);
        expectOnlyEarlierGame();
    }
}

TEST_F(FetchGame, ACancelledFetchLeavesTheEarlierGame) {
    writeEarlierGame();
    testkit::HttpRoute slow;
    slow.body = gameZip();
    slow.trickleBytes = 16;
    server.setRoute(branchPath("main"), slow);
    onProgress = [this](const DownloadProgress&) { token.cancel(); };
    EXPECT_THROW(fetch(), Cancelled);
    expectOnlyEarlierGame();

    EXPECT_THROW(fetch(), Cancelled) << "already cancelled before the download";
    expectOnlyEarlierGame();
    EXPECT_EQ(server.requestLog().size(), 1);
}

} // namespace
