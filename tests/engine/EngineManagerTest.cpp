#include "engine/EngineManager.h"

#include "download/DownloadError.h"
#include "support/Paths.h"
#include "testkit/InstallFixture.h"
#include "testkit/SmallDisk.h"
#include "testkit/ZipBuilder.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QRegularExpression>

#include <thread>

using ziptest::Entry;

namespace {

const EngineSpec spec{4, "4.2.2", false};
const QString program = "Godot_v4.2.2-stable_linux.x86_64";

QByteArray engineZip(const QList<Entry>& extra = {}) {
    return ziptest::zip(QList{Entry::file(program, "#!/bin/sh\n", 0755)} + extra);
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
    const QStringList earlierOnly{"data/Brennick", "data/Brennick/Engine",
                                  "data/Brennick/Engine/godot-4.2.2",
                                  "data/Brennick/Engine/godot-4.2.2/earlier.txt"};
};

// The connection drops at 40 %: the rest is asked for and the whole is verified.
TEST_F(EngineManagerTest, InstallsAVerifiedBuildInPlaceOfTheEarlierOne) {
    const QByteArray zip =
        ziptest::zip({Entry::file(program, "#!/bin/sh\n", 0755),
                      Entry::file("data/readme.txt", QByteArray(1'000'000, 'd'))},
                     ziptest::Compression::Store);
    server.serveEngine(spec, zip);
    server.setRoute(QUrl(spec.archiveUrl()).path(), zip,
                    {{"answers", QJsonArray{QJsonObject{{"drop_after", zip.size() * 4 / 10}}}}});
    install();
    EXPECT_EQ(server.requestLog().filter("Range: bytes=").size(), 1);
    EXPECT_LT(server.bytesSent(), 1.2 * zip.size());
    EXPECT_EQ(EngineManager::executable(spec), spec.installFolder() + "/" + program);
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
    const QString archive = QUrl(spec.archiveUrl()).path(), sums = QUrl(spec.checksumUrl()).path();
    const QByteArray zip = engineZip();
    const QString unpackFailed = "Unpacking Godot failed (ditto exit code 1).";
    const std::tuple<const char*, std::function<void(testkit::HttpTestServer&)>, QString> cases[] =
        {
            {"archive missing",
             [&](auto& s) {
                 s.setRoute(archive, "no", {{"status", 404}});
             },
             "The server answered with HTTP 404."},
            {"checksum list missing", [&](auto& s) { s.setRoute(archive, zip); },
             "The server answered with HTTP 404."},
            {"asset not in the list",
             [&](auto& s) {
                 s.setRoute(archive, zip);
                 s.setRoute(sums, sumLine(zip, spec.assetName() + ".old"));
             },
             "Godot's checksum list has no entry for " + spec.assetName() +
                 ", so the download can't be verified."},
            {"digest mismatch",
             [&](auto& s) {
                 s.setRoute(archive, zip);
                 s.setRoute(sums, sumLine("other bytes", spec.assetName()));
             },
             "The Godot download does not match its published checksum, so it was thrown away. Try "
             "again."},
            {"truncated zip", [&](auto& s) { s.serveEngine(spec, zip.chopped(30)); }, unpackFailed},
            {"entry climbing out",
             [&](auto& s) { s.serveEngine(spec, engineZip({Entry::file("../../evil", "x")})); },
             unpackFailed},
        };
    for (const auto& [what, serve, sentence] : cases) {
        testkit::HttpTestServer own; // a fresh checksum list per case
        own.useAsHostingService();
        serve(own);
        EXPECT_EQ(failureOf([this] { install(); }), sentence) << what;
        EXPECT_EQ(tree(), earlierOnly) << what;
    }
    server.useAsHostingService();
    server.serveEngine(spec, ziptest::zip({Entry::file("readme.txt", "")}));
    EXPECT_EQ(failureOf([this] { install(); }),
              "Godot was unpacked but its program was not found.");
}

// The estimate before the download (three times the archive), and the archive's own word
// before unpacking, on a data folder of 4 MiB.
TEST_F(EngineManagerTest, ADataFolderTooSmallIsToldBeforeAnythingIsWritten) {
    const SmallDisk disk(dataHome(), "size=4m");
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)";
    QByteArray noise;
    for (int i = 0; i < 2'000'000; ++i)
        noise += char(i * 7919 >> 9);
    const std::pair<QByteArray, const char*> cases[] = {
        {ziptest::zip({Entry::file(program, noise, 0755)}, ziptest::Compression::Store), "6 MB"},
        {engineZip({Entry::file("zeros", QByteArray(20'000'000, 0))}), "20 MB"},
    };
    for (const auto& [zip, needed] : cases) {
        server.serveEngine(spec, zip);
        const QString sentence = failureOf([this] { install(); });
        EXPECT_TRUE(sentence.startsWith(QString("Brennick needs about %1 free in %2")
                                            .arg(needed, QDir::cleanPath(Paths::engineFolder()))))
            << sentence;
        EXPECT_TRUE(sentence.endsWith(" are free.")) << sentence;
        EXPECT_TRUE(tree().filter(QRegularExpression("tmp/|staging|godot-")).isEmpty()) << needed;
    }
}

TEST_F(EngineManagerTest, ACancelLeavesTheEarlierInstallAndNothingElse) {
    server.serveEngine(spec, engineZip());
    server.setRoute(QUrl(spec.checksumUrl()).path(), "", {{"silent", true}});
    // Cancelled once the archive is down, while the checksum list does not come.
    std::thread canceller([this] {
        testkit::waitUntil([&] { return server.requestLog().size() == 2; });
        token.cancel();
    });
    EXPECT_THROW(install(), Cancelled);
    canceller.join();
    EXPECT_EQ(tree(), earlierOnly);
    EXPECT_THROW(install(), Cancelled) << "already cancelled before the download";
    EXPECT_EQ(server.requestLog().size(), 2);
}

TEST_F(EngineManagerTest, ABuildWithoutAnOfficialReleaseIsRefusedBeforeAnyRequest) {
    const EngineSpec old{3, "3.5.3", false};
    EXPECT_EQ(failureOf([&] {
                  EngineManager::install(old, Platform::LinuxArm64, makeDownloader(), log, token);
              }),
              old.unsupportedReason(Platform::LinuxArm64));
    EXPECT_EQ(downloadersMade, 0);
    QByteArray big(9 * 1024 * 1024 + 3, Qt::Uninitialized); // past two chunk boundaries
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 11);
    testkit::writeFile(scratch(), "big", big);
    EXPECT_EQ(EngineManager::sha512(scratch() + "/big"),
              QCryptographicHash::hash(big, QCryptographicHash::Sha512).toHex());
}

} // namespace
