#include "app/SaveBackups.h"
#include "engine/EngineManager.h"
#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/ModelHarness.h"
#include "testkit/NginxServer.h"
#include "testkit/SampleGame.h"
#include "testkit/SmallDisk.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <numeric>

using K = Phase::Kind;

namespace {

// A launcher against the loopback mirror of the hosting service, which serves the sample game and
// the stand-in engine as the official Linux asset. Records every phase, step and detail text.
class Launch : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        testkit::serveSampleGame(server, "game_seconds=1");
        harness = std::make_unique<ModelHarness>(scratch() + "/settings.ini", [](auto& env) {
            env.screenArea = [] { return std::optional<QSizeF>({1920, 1055}); };
            env.importTiming = {20ms, 20s};
            env.playingAfter = 400ms;
            env.downloads.retryDelays = {20ms, 20ms, 20ms};
        });
        QObject::connect(&model(), &AppModel::phaseChanged,
                         [this] { phases << model().phase().kind(); });
        QObject::connect(&model(), &AppModel::stepTextChanged,
                         [this] { steps << model().stepText(); });
        QObject::connect(&model(), &AppModel::detailTextChanged,
                         [this] { details << model().detailText(); });
    }
    void TearDown() override {
        harness.reset();
        IsolatedTest::TearDown();
    }

    AppModel& model() { return *harness->model; }
    bool runToEnd(RunRequest request = RunRequest::play()) {
        QSignalSpy finished(&model(), &AppModel::runFinished);
        model().start(request);
        return finished.wait(60'000);
    }
    static void setBehaviour(const QString& settings) {
        testkit::behave(project(), "editor_gap=0.05 import_sidecars=2\n" + settings);
    }
    static QString project() { return Paths::gameFolder() + "/" + testkit::sampleTop; }
    static QString lastRun() { // the stand-in ends each argument with a unit separator
        const QString runs = testkit::readFile(project() + "/.standin-args");
        return runs.split('\n', Qt::SkipEmptyParts).last().chopped(1).replace(QChar(0x1f), ' ');
    }
    static bool gameGone() {
        return testkit::waitUntilGone(testkit::waitForPid(project() + "/.standin.pid"));
    }

    const QString gamePath = "/varnel/godot_brennick/archive/refs/heads/main.zip";
    const QString enginePath = QUrl(testkit::sampleEngine().archiveUrl()).path();
    const QString sumsPath = QUrl(testkit::sampleEngine().checksumUrl()).path();
    testkit::HttpTestServer server;
    std::unique_ptr<ModelHarness> harness;
    QList<Phase::Kind> phases;
    QStringList steps, details;
};

TEST_F(Launch, FirstPlayRunsEveryStepOnceAndFitsTheWindowToTheScreen) {
    model().start(RunRequest::play());
    ASSERT_TRUE(runToEnd()) << "a second Play while the run goes on is ignored";
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::Downloading, K::SettingUp, K::Starting,
                                K::Playing, K::Ready}));
    EXPECT_EQ(steps,
              (QStringList{"Step 1 of 4 \u00b7 Downloading the game",
                           "Step 2 of 4 \u00b7 Downloading Godot 3.5.3 (about 70 MB)",
                           "Step 3 of 4 \u00b7 First-time setup, this can take a minute or more",
                           "", ""}));
    EXPECT_EQ(lastRun(), "--path " + project() + " --windowed --resolution 1634x918");
}

TEST_F(Launch, ASecondPlayGoesStraightToTheGameWithThatPressesOptionsPatchedAgain) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    testkit::writeFile(project(), "src/actor/player/player.gd", "changed\n");
    model().setFullscreen(true);
    phases.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(phases, (QList<K>{K::Starting, K::Playing, K::Ready}));
    EXPECT_EQ(lastRun(), "--path " + project() + " --fullscreen");
    EXPECT_TRUE(model().log().lines().contains("Hip-fire change skipped: the game's player script "
                                               "looks different from what was expected."));
}

// The commit is the one the hosting service writes as the archive's zip comment.
TEST_F(Launch, UpdateFetchesOnlyTheGameSetsItUpWithoutStartingItAndRecordsWhatCame) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QByteArray commit = "abcdef0123456789abcdef0123456789abcdef01";
    server.serveGameArchive(testkit::withCommit(testkit::gameZip("game_seconds=1"), commit),
                            "master");
    server.setRoute(gamePath, "", {{"status", 404}});
    phases.clear();
    ASSERT_TRUE(runToEnd(RunRequest::update()));
    EXPECT_EQ(phases, (QList<K>{K::Downloading, K::SettingUp, K::Ready}));
    const std::optional<InstalledVersion> installed = model().info()->installed;
    ASSERT_TRUE(installed);
    EXPECT_EQ(installed->commit, commit);
    EXPECT_EQ(installed->branch, "master");
    EXPECT_FALSE(installed->validator.isEmpty());
    EXPECT_EQ(installed->describe(installed->downloaded.addSecs(3 * 86400 + 7200)),
              "commit abcdef0, downloaded 3 days ago");
    EXPECT_EQ(installed->describe(installed->downloaded.addSecs(3600)),
              "commit abcdef0, downloaded 1 hour ago");
}

// One step back: the version an update replaced stays until the next update replaces it.
TEST_F(Launch, AnUpdateKeepsThePreviousVersionToGoBackTo) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QByteArray newer = "abcdef0123456789abcdef0123456789abcdef01";
    const auto commitIn = [](const QString& folder) {
        return InstalledVersion::read(folder).value_or(InstalledVersion{}).commit;
    };
    server.serveGameArchive(testkit::withCommit(testkit::gameZip("game_seconds=1"), newer));
    for (int update = 0; update < 2; ++update) // the second brings the same commit: nothing kept
        ASSERT_TRUE(runToEnd(RunRequest::update()));
    EXPECT_EQ(commitIn(Paths::previousGameFolder()), testkit::sampleCommit);
    ASSERT_TRUE(runToEnd(RunRequest::rollBack()));
    EXPECT_EQ(commitIn(Paths::gameFolder()), testkit::sampleCommit);
    EXPECT_EQ(commitIn(Paths::previousGameFolder()), newer);
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
    QDir(Paths::previousGameFolder()).removeRecursively();
    ASSERT_TRUE(runToEnd(RunRequest::rollBack()));
    EXPECT_EQ(model().phase().text(), "There is no previous version to go back to.");
    EXPECT_EQ(commitIn(Paths::gameFolder()), testkit::sampleCommit);
}

// Each Play asks whether the branch moved; a server that cannot say, or never answers, is silent.
TEST_F(Launch, PlayAsksForANewerVersionButNeverWaitsForTheAnswer) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QString api = "/repos/varnel/godot_brennick/commits/main";
    qputenv("QUILLFIRE_API_URL", server.baseUrl().toUtf8());
    QSignalSpy answers(&model(), &AppModel::updateAvailableChanged);
    const struct { const char* name; QByteArray body; QJsonObject how = {};
                   std::optional<bool> newer; } rows[] = {
        {.name = "moved", .body = "0123456789abcdef0123456789abcdef01234567\n", .newer = true},
        {.name = "same", .body = testkit::sampleCommit, .newer = false},
        {.name = "web page", .body = "<html>Sign in</html>", .newer = std::nullopt},
        // A commit id in an error answer says nothing either.
        {.name = "not found", .body = "0123456789abcdef0123456789abcdef01234567",
         .how = {{"status", 404}}, .newer = std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.setRoute(api, row.body, row.how);
        answers.clear();
        ASSERT_TRUE(runToEnd());
        ASSERT_TRUE(answers.size() > 0 || answers.wait(5000));
        EXPECT_EQ(model().updateAvailable(), row.newer);
    }
    server.setRoute(api, "", {{"silent", true}});
    answers.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
    EXPECT_EQ(answers.size(), 0) << "the game ran and ended before the check gave up";
    EXPECT_TRUE(server.requestLog().contains(api));
}

// The new game and Godot are swapped in only once both are ready: a failed or cancelled
// reinstall leaves the earlier ones playable.
TEST_F(Launch, ReinstallReplacesTheGameAndGodotTogetherOrNotAtAll) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QString engine = testkit::sampleEngine().installFolder();
    for (const QString& folder : {project(), engine})
        testkit::writeFile(folder, "earlier", "x");
    const auto earlierKept = [&] {
        return QFileInfo::exists(project() + "/earlier") && QFileInfo::exists(engine + "/earlier");
    };
    server.setRoute(enginePath, "gone", {{"status", 404}});
    ASSERT_TRUE(runToEnd(RunRequest::reinstall()));
    EXPECT_EQ(model().phase().text(), "The server answered with HTTP 404.");
    EXPECT_TRUE(earlierKept());
    testkit::serveSampleGame(server, "game_seconds=1");
    const auto cancelAtGodot = QObject::connect(&model(), &AppModel::stepTextChanged, [&] {
        if (model().stepText().startsWith("Step 2"))
            model().cancel();
    });
    ASSERT_TRUE(runToEnd(RunRequest::reinstall()));
    QObject::disconnect(cancelAtGodot);
    EXPECT_TRUE(earlierKept());
    EXPECT_TRUE(QDir(Paths::engineFolder()).entryList({"staging-*"}, QDir::Dirs).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
    phases.clear();
    ASSERT_TRUE(runToEnd(RunRequest::reinstall()));
    EXPECT_EQ(phases.mid(0, 4), (QList<K>{K::Downloading, K::Downloading, K::SettingUp,
                                         K::Starting}));
    EXPECT_FALSE(QFileInfo::exists(project() + "/earlier"));
    EXPECT_FALSE(QFileInfo::exists(engine + "/earlier"));
}

// Godot's program cut short or overwritten since it was installed: told as such, not as a crash
// of the game, and repaired without the game being downloaded again; and the other way round.
TEST_F(Launch, ADamagedGodotIsNamedAndRepairFetchesOnlyGodot) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QString program = *EngineManager::executable(testkit::sampleEngine());
    testkit::writeFile(QFileInfo(program).path(), QFileInfo(program).fileName(),
                       "#!/bin/sh\nkill -SEGV $$\n");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().failure()->action, FailureAction::Repair);
    EXPECT_TRUE(model().failure()->headline.contains("(segmentation fault, signal 11). Godot's "
                                                     "files changed since it was installed"));
    testkit::writeFile(QFileInfo(program).path(), QFileInfo(program).fileName(), "\x7f" "ELF");
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(model().phase().text().startsWith("Godot's files changed since it was installed"));
    const qsizetype asked = server.requestLog().size();
    QSignalSpy repaired(&model(), &AppModel::runFinished);
    model().applyFix(FailureAction::Repair); // the failure's cure, then Play
    ASSERT_TRUE(repaired.wait(60'000));
    EXPECT_EQ(server.requestLog().mid(asked), (QStringList{enginePath, sumsPath}));
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
    // A game file changed since: only the game comes again.
    testkit::writeFile(project(), "README.md", "changed");
    ASSERT_TRUE(runToEnd(RunRequest::repair(false)));
    EXPECT_EQ(server.requestLog().mid(asked + 2), QStringList{gamePath});
    EXPECT_EQ(testkit::readFile(project() + "/README.md"), "# Brennick\n\nA time-trial shooter.\n");
}

// Each change to the install first zips the saves; a zip gives them back byte for byte.
TEST_F(Launch, UpdateReinstallAndRemoveEverythingKeepTheSavesAndBackThemUpFirst) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    const QString saves = Paths::savesFolder("Brennick");
    QByteArray slot(256, 0);
    std::iota(slot.begin(), slot.end(), char(0));
    testkit::writeFile(saves, "save.dat", "progress");
    testkit::writeFile(saves, "slots/.slot1", slot);
    ASSERT_TRUE(runToEnd(RunRequest::update()));
    harness->prompts.answers = {true, false, true};
    phases.clear();
    QSignalSpy finished(&model(), &AppModel::runFinished);
    model().reinstall();
    ASSERT_TRUE(finished.wait(60'000));
    EXPECT_EQ(phases.mid(0, 4),
              (QList<K>{K::SettingUp, K::Downloading, K::Downloading, K::SettingUp}));
    EXPECT_TRUE(model().hasSaves());
    QSignalSpy removed(&model(), &AppModel::removalFinished);
    const auto remove = [&] { model().removeEverything(); return removed.wait(10'000); };
    ASSERT_TRUE(remove()); // answered no
    EXPECT_TRUE(QFileInfo::exists(Paths::gameFolder()));
    ASSERT_TRUE(remove());
    EXPECT_FALSE(QFileInfo::exists(Paths::supportRoot()));
    EXPECT_FALSE(model().hasSaves()) << "without a game the saves folder is not known";
    EXPECT_EQ(model().log().size(), 0);
    EXPECT_EQ(testkit::readFile(saves + "/save.dat"), "progress");
    const QList<SaveBackups::Backup> backups = SaveBackups::list();
    ASSERT_EQ(backups.size(), 3) << "update, reinstall and the confirmed removal";
    testkit::writeFile(saves, "slots/.slot1", "spoilt by the new version");
    QSignalSpy restored(&model(), &AppModel::restoreFinished);
    model().restoreSaves(backups[0].path);
    ASSERT_TRUE(restored.wait(10'000));
    EXPECT_EQ(restored.first().first().toString(), "");
    EXPECT_EQ(testkit::readFile(saves + "/slots/.slot1"), slot);
    EXPECT_EQ(SaveBackups::list().size(), 4) << "what a restore replaces is backed up first";
}

// Nothing is downloaded, replaced or removed when the saves cannot be backed up.
TEST_F(Launch, ABackupThatDoesNotFitStopsUpdateAndRemovalBeforeAnyChange) {
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    testkit::writeFile(project(), "earlier", "x");
    testkit::writeFile(Paths::savesFolder("Brennick"), "save.dat", QByteArray(300'000, 's'));
    MOUNT_SMALL_DISK_OR_SKIP(Paths::saveBackupsFolder(), "size=128k");
    const QStringList requests = server.requestLog();
    ASSERT_TRUE(runToEnd(RunRequest::update()));
    EXPECT_TRUE(model().phase().text().startsWith("Brennick needs about ") &&
                model().phase().text().contains(" free in " + Paths::saveBackupsFolder() + ";"))
        << model().phase().text();
    EXPECT_EQ(server.requestLog(), requests);
    harness->prompts.answers = {true};
    QSignalSpy removed(&model(), &AppModel::removalFinished);
    model().removeEverything();
    ASSERT_TRUE(removed.wait(10'000));
    EXPECT_FALSE(removed.first().first().toBool());
    EXPECT_TRUE(QFileInfo::exists(project() + "/earlier"));
    EXPECT_TRUE(QDir(Paths::saveBackupsFolder()).isEmpty());
}

TEST_F(Launch, AFailedDownloadIsToldWithItsRetriesAndTheAdviceToCheckTheConnection) {
    server.setRoute(gamePath, QByteArray(100'000, 'z'), {{"drop_after", 1000}});
    ASSERT_TRUE(runToEnd());
    const QString cut = "The server 127.0.0.1 closed the connection before the download was "
                        "complete.";
    EXPECT_EQ(model().phase().text(), "A download failed: " + cut +
                                          " Check your internet connection and press Play again.");
    EXPECT_EQ(model().log().lines().last(), "Problem: " + cut);
    EXPECT_TRUE(model().log().lines().contains(cut + " Trying again in 1 s (2 of 4)."));
    EXPECT_TRUE(details.contains("Connection lost \u00b7 trying again in 1 s (4 of 4)"));
}

TEST_F(Launch, ACSharpGameIsRefusedOnlyOnceItsDetailsAreShownAndItIsPatched) {
    server.setRoute(gamePath, testkit::gameZip({}, "\"3.5\", \"C#\""));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().phase().text(), "This game uses C#, which needs the .NET SDK installed on "
                                      "this computer. This app can't set that up.");
    EXPECT_TRUE(model().log().lines().contains(
        "Applied hip-fire change (gun fires when not aiming, less accurate)."));
    EXPECT_EQ(server.requestLog().last(), gamePath) << "no engine was asked for";
}

// A failure stays until the next run. The game's process may not exist yet when the window shows
// Starting: a Stop or a Cancel then must still end it.
TEST_F(Launch, EarlyExitStopCancelAndNormalCloseAreToldApart) {
    // Godot 3 complains like this on every first import; it says nothing about the game.
    ASSERT_TRUE(runToEnd(RunRequest::setUp()));
    setBehaviour("import_output='ERROR: Cannot open file res://.import/icon.png-1a.sample\\n' "
                 "game_tail=end");
    GameRunner::forgetImport();
    phases.clear();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().failure()->headline, "The game closed after 0 seconds (exit code 0), so it "
                                           "did not stay open. Last log lines:");
    EXPECT_EQ(model().failure()->lines, QStringList{"end"});
    EXPECT_EQ(phases, (QList<K>{K::SettingUp, K::Starting, K::Ready})) << "never Playing";

    setBehaviour("game_seconds=60");
    for (int round = 0; round < 12; ++round) {
        const bool stop = round % 2 == 0;
        const auto connection = QObject::connect(&model(), &AppModel::phaseChanged, [&] {
            if (model().phase().kind() == K::Starting)
                stop ? model().stopGame() : model().cancel();
        });
        ASSERT_TRUE(runToEnd()) << "round " << round;
        QObject::disconnect(connection);
        EXPECT_EQ(model().log().lines().last(), stop ? "Game stopped." : "Cancelled.");
    }
    EXPECT_TRUE(gameGone());
    EXPECT_FALSE(model().failure().has_value());

    setBehaviour("game_seconds=0.6");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(model().log().lines().last(), "Game closed normally.");
}

TEST_F(Launch, ADataFolderThatCannotRunProgramsIsToldBeforeTheEngineDownload) {
    MOUNT_SMALL_DISK_OR_SKIP(dataHome(), "size=16m,noexec");
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(model().phase().text().contains(Paths::supportRoot() +
                                                ": its drive is mounted with noexec"));
    EXPECT_TRUE(server.requestLog().filter("godotengine").isEmpty());
}

TEST_F(Launch, CancelInEachStepLeavesWhatTheDiskHolds) {
    const QJsonObject slow{{"trickle", 100}, {"interval", 100}};
    const struct {
        const char* name;
        K phase;
        QString path;
        QByteArray body;
        QJsonObject how = {};
        bool gameOnDisk = true;
    } rows[] = {
        {.name = "game download", .phase = K::Downloading, .path = gamePath,
         .body = testkit::gameZip(), .how = slow, .gameOnDisk = false},
        {.name = "engine download", .phase = K::Downloading, .path = enginePath,
         .body = testkit::engineZip(), .how = slow},
        {.name = "checksum list never comes", .phase = K::Downloading, .path = sumsPath,
         .body = "", .how = {{"silent", true}}},
        {.name = "first-time setup", .phase = K::SettingUp, .path = gamePath,
         .body = testkit::gameZip("import_sidecars=0")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir(Paths::supportRoot()).removeRecursively();
        testkit::serveSampleGame(server, "game_seconds=1");
        server.setRoute(row.path, row.body, row.how);
        QSignalSpy finished(&model(), &AppModel::runFinished);
        model().start(RunRequest::play());
        ASSERT_TRUE(testkit::eventually([&] {
            return model().phase().kind() == row.phase &&
                   model().info().has_value() == row.gameOnDisk;
        }));
        QTest::qWait(200);
        model().cancel();
        ASSERT_TRUE(finished.wait(5'000)) << "a cancel takes effect at once";
        EXPECT_EQ(finished.first().first().value<RunEnding>(), RunEnding::Cancelled);
        EXPECT_EQ(model().phase().kind(), K::NotDownloaded);
        EXPECT_EQ(model().info().has_value(), row.gameOnDisk);
        EXPECT_FALSE(QFileInfo::exists(Paths::gameStagingFolder()));
    }
    EXPECT_TRUE(gameGone());
}

// Plays against Debian's nginx (HTTP/2 over TLS) as the hosting service, and resumes a download
// that broke off against what a real server answers to Range and If-Range.
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
