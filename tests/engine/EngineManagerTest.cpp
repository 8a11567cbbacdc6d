#include "engine/EngineManager.h"

#include "download/DownloadError.h"
#include "testkit/InstallFixture.h"
#include "testkit/ZipBuilder.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <thread>

using ziptest::Entry;

namespace {

const EngineSpec spec{4, "4.2.2", false};
const QString program = "Godot_v4.2.2-stable_linux.x86_64";

QByteArray engineZip(const QList<Entry>& extra = {}) {
    return ziptest::zip(QList<Entry>{Entry::file(program, "#!/bin/sh\n", 0755),
                                     Entry::file("data/readme.txt", "engine data")} +
                        extra);
}

QByteArray sumLine(const QByteArray& zip, const QString& name) {
    return QCryptographicHash::hash(zip, QCryptographicHash::Sha512).toHex() + "  " +
           name.toUtf8() + "\n";
}

class EngineManagerTest : public InstallFixture {
protected:
    void SetUp() override {
        InstallFixture::SetUp();
        testkit::writeFile(spec.installFolder(), "earlier.txt", "earlier build");
    }
    void install() { EngineManager::install(spec, makeDownloader(), log, token); }
    // The earlier install as it was, and nothing else: no download, no staging folder.
    void expectOnlyTheEarlierInstall() {
        EXPECT_EQ(tree(), (QStringList{"data/Brennick", "data/Brennick/Engine",
                                       "data/Brennick/Engine/godot-4.2.2",
                                       "data/Brennick/Engine/godot-4.2.2/earlier.txt"}));
    }
    QString archivePath() const { return QUrl(spec.archiveUrl()).path(); }
    QString sumsPath() const { return QUrl(spec.checksumUrl()).path(); }
};

TEST_F(EngineManagerTest, InstallsAVerifiedBuildInPlaceOfTheEarlierOne) {
    server.serveEngine(spec, engineZip());
    install();
    EXPECT_EQ(EngineManager::executable(spec), spec.installFolder() + "/" + program);
    EXPECT_EQ(testkit::readFile(spec.installFolder() + "/data/readme.txt"), "engine data");
    EXPECT_EQ(log.lines(),
              (QStringList{"Downloading " + spec.archiveUrl(),
                           "Checking the download against Godot's published SHA512 checksum",
                           "Checksum OK", "Unpacking Godot", "Godot 4.2.2 installed"}));
    EXPECT_EQ(tree(), (QStringList{"data/Brennick", "data/Brennick/Engine",
                                   "data/Brennick/Engine/godot-4.2.2",
                                   "data/Brennick/Engine/godot-4.2.2/" + program,
                                   "data/Brennick/Engine/godot-4.2.2/data",
                                   "data/Brennick/Engine/godot-4.2.2/data/readme.txt"}));
}

TEST_F(EngineManagerTest, AFailedInstallLeavesTheEarlierInstallAndNothingElse) {
    const QString unpackFailed = "Unpacking Godot failed (ditto exit code 1).";
    const QByteArray zip = engineZip();
    const std::tuple<const char*, std::function<void(testkit::HttpTestServer&)>, QString> cases[] =
        {
            {"archive missing", [&](auto& s) { s.setBody(archivePath(), "no", 404); },
             "The server answered with HTTP 404."},
            {"checksum list missing",
             [&](auto& s) {
                 s.setBody(archivePath(), zip);
                 s.setBody(sumsPath(), "no", 404);
             },
             "The server answered with HTTP 404."},
            {"asset not in the list",
             [&](auto& s) {
                 s.setBody(archivePath(), zip);
                 s.setBody(sumsPath(), sumLine(zip, spec.assetName() + ".old"));
             },
             "Godot's checksum list has no entry for " + spec.assetName() +
                 ", so the download can't be verified."},
            {"digest mismatch",
             [&](auto& s) {
                 s.setBody(archivePath(), zip);
                 s.setBody(sumsPath(), sumLine("other bytes", spec.assetName()));
             },
             "The Godot download does not match its published checksum, so it was thrown away. Try "
             "again."},
            {"truncated zip", [&](auto& s) { s.serveEngine(spec, zip.chopped(30)); }, unpackFailed},
            {"entry climbing out",
             [&](auto& s) { s.serveEngine(spec, engineZip({Entry::file("../../evil", "x")})); },
             unpackFailed},
            {"no program",
             [&](auto& s) { s.serveEngine(spec, ziptest::zip({Entry::file("readme.txt", "")})); },
             "Godot was unpacked but its program was not found."},
        };
    for (const auto& [what, serve, sentence] : cases) {
        SCOPED_TRACE(what);
        testkit::HttpTestServer own; // a fresh checksum list per case
        own.useAsHostingService();
        serve(own);
        EXPECT_EQ(failureOf([this] { install(); }), sentence);
        if (QString(what) != "no program")
            expectOnlyTheEarlierInstall();
    }
}

TEST_F(EngineManagerTest, ACancelLeavesTheEarlierInstallAndNothingElse) {
    server.serveEngine(spec, engineZip());
    testkit::HttpRoute silent;
    silent.silent = true;
    server.setRoute(sumsPath(), silent);
    // Cancelled once the archive is down, while the checksum list does not come.
    std::thread canceller([this] {
        testkit::waitUntil([&] { return server.requestLog().contains(sumsPath()); });
        token.cancel();
    });
    EXPECT_THROW(install(), Cancelled);
    canceller.join();
    expectOnlyTheEarlierInstall();
    EXPECT_THROW(install(), Cancelled) << "already cancelled before the download";
    EXPECT_EQ(server.requestLog().size(), 2);
}

TEST_F(EngineManagerTest, ABuildWithoutAnOfficialReleaseIsRefusedBeforeAnyRequest) {
    const EngineSpec old{3, "3.5.3", false};
    EXPECT_EQ(failureOf([&] {
                  EngineManager::install(old, Platform::LinuxArm64, makeDownloader(), log, token);
              }),
              old.unsupportedReason(Platform::LinuxArm64));
    EXPECT_TRUE(server.requestLog().isEmpty());
    EXPECT_EQ(downloadersMade, 0);
}

TEST_F(EngineManagerTest, Sha512OfAFileReadInChunks) {
    QByteArray big(9 * 1024 * 1024 + 3, Qt::Uninitialized); // past two chunk boundaries
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 11);
    testkit::writeFile(scratch(), "big", big);
    EXPECT_EQ(
        EngineManager::sha512(scratch() + "/big"),
        QString::fromLatin1(QCryptographicHash::hash(big, QCryptographicHash::Sha512).toHex()));
    EXPECT_THROW(EngineManager::sha512(scratch()), FileSystemError) << "a folder cannot be read";
}

} // namespace
