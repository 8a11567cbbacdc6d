#include "engine/EngineManager.h"
#include "InstallFixture.h"
#include "download/DownloadError.h"
#include "support/Paths.h"
#include "testkit/ZipBuilder.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <chrono>
#include <thread>

using ziptest::Entry;

namespace {

const EngineSpec standard{4, "4.2.2", false};
const EngineSpec dotNet{4, "4.2.2", true};

// Where each build keeps its program, relative to its install folder.
QString programPath(const EngineSpec& spec) {
    const QString base = spec.assetName().chopped(4);
    if (!spec.mono)
        return base;
    QString program = base;
    return base + "/" + program.replace("mono_linux_", "mono_linux.");
}

QByteArray engineZip(const EngineSpec& spec) {
    return ziptest::zip({Entry::file(programPath(spec), "#!/bin/sh\n", 0755),
                         Entry::file("data/readme.txt", "engine data")});
}

QString sumsPath(const EngineSpec& spec) {
    return QUrl(spec.checksumUrl()).path();
}

QByteArray sumLine(const QByteArray& zip, const QString& name) {
    return QCryptographicHash::hash(zip, QCryptographicHash::Sha512).toHex() + "  " +
           name.toUtf8() + "\n";
}

class EngineManagerTest : public InstallFixture {
protected:
    void install(const EngineSpec& spec) {
        EngineManager::install(spec, makeDownloader(), log, token);
    }
    // Runs an install expected to fail with `text`.
    void expectFailure(const EngineSpec& spec, const QString& text) {
        try {
            install(spec);
            ADD_FAILURE() << "install succeeded";
        } catch (const UserError& error) {
            EXPECT_EQ(error.description(), text);
        }
    }
    void writeEarlierInstall() {
        testkit::writeFile(standard.installFolder(), "earlier.txt", "earlier build");
    }
    // The earlier install as it was, nothing else under the data folder, no download left.
    void expectOnlyEarlierInstall() {
        EXPECT_EQ(dataTree(),
                  (QStringList{"Brennick", "Brennick/Engine", "Brennick/Engine/godot-4.2.2",
                               "Brennick/Engine/godot-4.2.2/earlier.txt"}));
        EXPECT_TRUE(newTempEntries().isEmpty()) << newTempEntries().join(", ").toStdString();
    }
};

TEST_F(EngineManagerTest, InstallsEachBuildVerifiedWithItsLogLines) {
    writeEarlierInstall(); // replaced by the standard build
    for (const EngineSpec& spec : {standard, dotNet}) {
        SCOPED_TRACE(spec.installFolderName().toStdString());
        log.clear();
        EXPECT_EQ(EngineManager::executable(spec), std::nullopt);
        server.serveEngine(spec, engineZip(spec));

        install(spec);

        const QString program = spec.installFolder() + "/" + programPath(spec);
        EXPECT_EQ(EngineManager::executable(spec), program);
        EXPECT_FALSE(QFileInfo::exists(spec.installFolder() + "/earlier.txt"));
        EXPECT_TRUE(QFileInfo(program).isExecutable());
        EXPECT_EQ(testkit::readFile(spec.installFolder() + "/data/readme.txt"), "engine data");
        EXPECT_EQ(
            log.lines(),
            (QStringList{"Downloading " + spec.archiveUrl(),
                         "Checking the download against Godot's published SHA512 checksum",
                         "Checksum OK", "Unpacking Godot",
                         spec.mono ? "Godot 4.2.2 (.NET) installed" : "Godot 4.2.2 installed"}));
        EXPECT_TRUE(newTempEntries().isEmpty());
    }
    EXPECT_EQ(downloadersMade, 2);
    EXPECT_EQ(QDir(Paths::engineFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"godot-4.2.2", "godot-4.2.2-mono"}))
        << "no staging folder is left";
}

TEST_F(EngineManagerTest, MatchesTheLastListedDigestWhateverItsCaseOrBinaryMark) {
    const QByteArray zip = engineZip(standard);
    const QByteArray good = QCryptographicHash::hash(zip, QCryptographicHash::Sha512).toHex();
    server.setBody(QUrl(standard.archiveUrl()).path(), zip);
    server.setBody(sumsPath(standard), QByteArray(128, '0') + "  " + standard.assetName().toUtf8() +
                                           "\n" + good.toUpper() + " *" +
                                           standard.assetName().toUtf8() + "\n");
    install(standard);
    EXPECT_TRUE(EngineManager::executable(standard).has_value());
}

struct FailureCase {
    const char* what;
    std::function<void(testkit::HttpTestServer&)> serve;
    QString text;
};

std::vector<FailureCase> failureCases() {
    const QString asset = standard.assetName();
    const QString archivePath = QUrl(standard.archiveUrl()).path();
    const QString unpackFailed = "Unpacking Godot failed (ditto exit code 1).";
    return {
        {"archive missing", [=](auto& s) { s.setBody(archivePath, "no", 404); },
         "The server answered with HTTP 404."},
        {"checksum list missing",
         [=](auto& s) {
             s.setBody(archivePath, engineZip(standard));
             s.setBody(sumsPath(standard), "no", 404);
         },
         "The server answered with HTTP 404."},
        {"asset not in the list",
         [=](auto& s) {
             s.setBody(archivePath, engineZip(standard));
             s.setBody(sumsPath(standard), sumLine(engineZip(standard), asset + ".old"));
         },
         "Godot's checksum list has no entry for " + asset +
             ", so the download can't be verified."},
        {"digest mismatch",
         [=](auto& s) {
             s.setBody(archivePath, engineZip(standard));
             s.setBody(sumsPath(standard), sumLine("other bytes", asset));
         },
         "The Godot download does not match its published checksum, so it was thrown away. Try "
         "again."},
        {"truncated zip",
         [=](auto& s) {
             const QByteArray zip = engineZip(standard);
             s.serveEngine(standard, zip.left(zip.size() - 30));
         },
         unpackFailed},
        {"entry climbing out",
         [=](auto& s) {
             s.serveEngine(standard, ziptest::zip({Entry::file(programPath(standard), "x", 0755),
                                                   Entry::file("../../evil", "x")}));
         },
         unpackFailed},
        {"link pointing out",
         [=](auto& s) {
             s.serveEngine(standard, ziptest::zip({Entry::link("data", "../../.."),
                                                   Entry::file(programPath(standard), "x", 0755)}));
         },
         unpackFailed},
    };
}

TEST_F(EngineManagerTest, AFailedInstallLeavesTheEarlierInstallAndNothingElse) {
    writeEarlierInstall();
    for (const FailureCase& c : failureCases()) {
        SCOPED_TRACE(c.what);
        testkit::HttpTestServer own; // a fresh checksum list per case
        own.useAsHostingService();
        takeTempBaseline();
        c.serve(own);
        expectFailure(standard, c.text);
        expectOnlyEarlierInstall();
    }
}

TEST_F(EngineManagerTest, ACancelledInstallLeavesTheEarlierInstallAndNothingElse) {
    writeEarlierInstall();
    server.serveEngine(standard, engineZip(standard));
    testkit::HttpRoute silent;
    silent.silent = true;
    server.setRoute(sumsPath(standard), silent);
    // Cancelled once the archive is down, while the checksum list does not come.
    std::thread canceller([this] {
        while (!server.requestLog().contains(sumsPath(standard)))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        token.cancel();
    });
    EXPECT_THROW(install(standard), Cancelled);
    canceller.join();
    expectOnlyEarlierInstall();

    EXPECT_THROW(install(standard), Cancelled) << "already cancelled before the download";
    expectOnlyEarlierInstall();
}

TEST_F(EngineManagerTest, AnArchiveWithoutTheProgramIsReported) {
    server.serveEngine(standard, ziptest::zip({Entry::file("data/readme.txt", "no program")}));
    expectFailure(standard, "Godot was unpacked but its program was not found.");
    EXPECT_EQ(EngineManager::executable(standard), std::nullopt);
    EXPECT_TRUE(newTempEntries().isEmpty());
}

TEST_F(EngineManagerTest, ABuildWithoutAnOfficialReleaseIsRefusedBeforeAnyRequest) {
    const EngineSpec old{3, "3.5.3", false};
    const QString reason = old.unsupportedReason(Platform::LinuxArm64);
    ASSERT_FALSE(reason.isEmpty());
    try {
        EngineManager::install(old, Platform::LinuxArm64, makeDownloader(), log, token);
        ADD_FAILURE() << "install went ahead";
    } catch (const DownloadError& error) {
        EXPECT_EQ(error.kind(), DownloadError::Kind::Message);
        EXPECT_EQ(error.description(), reason);
    }
    EXPECT_TRUE(server.requestLog().isEmpty());
    EXPECT_EQ(downloadersMade, 0);
    EXPECT_TRUE(dataTree().isEmpty());
}

} // namespace
