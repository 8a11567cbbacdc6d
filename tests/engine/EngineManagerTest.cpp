#include "engine/EngineManager.h"
#include "engine/ChecksumList.h"
#include "engine/ProgramLookup.h"
#include "project/GameInfo.h"
#include "support/Paths.h"
#include "testkit/InstallFixture.h"
#include "testkit/SmallDisk.h"
#include "testkit/ZipBuilder.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QRegularExpression>

using ziptest::Entry;

const EngineSpec spec{4, "4.2.2", false};
const QString program = "Godot_v4.2.2-stable_linux.x86_64";

QByteArray engineZip(const QList<Entry>& extra = {}) {
    return ziptest::zip(extra + QList{Entry::file(program, "#!/bin/sh\n", 0755)});
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
    const QByteArray zip = engineZip({Entry::file("data/readme.txt", "d")});
    server.serveEngine(spec, zip);
    server.setRoute(QUrl(spec.archiveUrl()).path(), zip,
                    {{"answers", QJsonArray{QJsonObject{{"drop_after", zip.size() * 4 / 10}}}}});
    install();
    EXPECT_EQ(server.requestLog().filter("Range: bytes=").size(), 1);
    EXPECT_EQ(EngineManager::executable(spec), spec.installFolder() + "/" + program);
    EXPECT_EQ(log.lines(),
              (QStringList{"Downloading " + spec.archiveUrl(),
                           "Checking the download against Godot's published SHA512 checksum",
                           "Checksum OK", "Unpacking Godot", "Godot 4.2.2 installed"}));
    EXPECT_EQ(tree().filter(QRegularExpression("tmp/|staging|old|earlier|readme")),
              QStringList{"data/Brennick/Engine/godot-4.2.2/data/readme.txt"});
}

TEST_F(EngineManagerTest, AFailedInstallLeavesTheEarlierInstallAndNothingElse) {
    const EngineSpec old{3, "3.5.3", false}; // no official build for 64-bit ARM Linux
    EXPECT_EQ(failureOf([&] {
                  EngineManager::install(old, Platform::LinuxArm64, makeDownloader(), log, token);
              }),
              old.unsupportedReason(Platform::LinuxArm64));
    EXPECT_EQ(downloadersMade, 0);
    const QString asset = spec.assetName();
    const QByteArray zip = engineZip(), cut = zip.chopped(30),
                     noProgram = ziptest::zip({Entry::file("readme.txt", "")});
    // The archive and the checksum list served (none when empty), and the sentence.
    const std::tuple<QByteArray, QByteArray, QString> cases[] = {
        {zip, {}, "The server answered with HTTP 404."},
        {zip, testkit::sumsLine(zip, asset + ".old"), "Godot's checksum list has no entry for " +
         asset + ", so the download can't be verified."},
        {zip, testkit::sumsLine("other bytes", asset), "The Godot download does not match its "
         "published checksum, so it was thrown away. Try again."},
        {cut, testkit::sumsLine(cut, asset), "Unpacking Godot failed: the archive is damaged or "
         "unsafe (Unrecognized archive format)."},
        {noProgram, testkit::sumsLine(noProgram, asset),
         "Godot was unpacked but its program was not found."},
    };
    for (const auto& [archive, sums, sentence] : cases) {
        testkit::HttpTestServer own;
        own.useAsHostingService();
        own.setRoute(QUrl(spec.archiveUrl()).path(), archive);
        if (!sums.isEmpty())
            own.setRoute(QUrl(spec.checksumUrl()).path(), sums);
        EXPECT_EQ(failureOf([this] { install(); }), sentence);
        EXPECT_EQ(tree(), earlierOnly) << sentence;
    }
}

// On 4 MiB: the estimate before the download (thrice the archive, and the download itself when it
// goes to the same disk), the archive's before unpacking.
TEST_F(EngineManagerTest, ADataFolderTooSmallIsToldBeforeAnythingIsWritten) {
    const SmallDisk disk(dataHome(), "size=4m");
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)";
    const QByteArray stored = ziptest::zip({Entry::file(program, QByteArray(2'000'000, 's'), 0755)},
                                           ziptest::Compression::Store);
    const std::tuple<QByteArray, QString, const char*> cases[] = {
        {stored, home() + "/tmp", "6 MB"},
        {stored, dataHome() + "/tmp", "8 MB"},
        {engineZip({Entry::file("zeros", QByteArray(20'000'000, 0))}), home() + "/tmp", "20 MB"},
    };
    for (const auto& [zip, tmp, needed] : cases) {
        QDir().mkpath(tmp);
        qputenv("TMPDIR", tmp.toUtf8());
        server.serveEngine(spec, zip);
        const QString sentence = failureOf([this] { install(); });
        EXPECT_TRUE(sentence.startsWith(QString("Brennick needs about %1 free in %2;")
                                            .arg(needed, QDir::cleanPath(Paths::engineFolder()))))
            << sentence;
        EXPECT_TRUE(tree().filter(QRegularExpression("tmp/|staging|godot-")).isEmpty()) << needed;
    }
    EXPECT_FALSE(log.lines().contains("Unpacking Godot"));
}

constexpr auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;

void writeProgram(const QString& path,
                  QFile::Permissions permissions = readable | QFile::ExeOwner) {
    testkit::writeFile(QFileInfo(path).path(), QFileInfo(path).fileName(), "#!/bin/sh\n");
    QFile::setPermissions(path, permissions);
}

using EngineTest = IsolatedTest;

// The official builds: which one a game needs, their names, checksums and programs.
TEST_F(EngineTest, BuildsAreNamedVerifiedAndTheirProgramFound) {
    using enum Platform;
    const std::tuple<Platform, EngineSpec, QString> cases[] = {
        {MacOS, {3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_osx.universal.zip"},
        {MacOS, {4, "4.2.1", false}, "Godot_v4.2.1-stable_macos.universal.zip"},
        {LinuxX86_64, {3, "3.5.3", false}, "Godot_v3.5.3-stable_x11.64.zip"},
        {LinuxX86_64, {3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_x11_64.zip"},
        {LinuxX86_64, {4, "4.3", true}, "Godot_v4.3-stable_mono_linux_x86_64.zip"},
        {LinuxArm64, {4, "4.2", false}, "Godot_v4.2-stable_linux.arm64.zip"},
        {LinuxArm64, {4, "4.2.2", true}, "Godot_v4.2.2-stable_mono_linux_arm64.zip"},
        {LinuxArm64, {4, "4.1.4", false}, ""},
    };
    for (const auto& [platform, spec, asset] : cases) {
        EXPECT_EQ(spec.assetName(platform), asset) << spec.version;
        EXPECT_EQ(spec.archiveUrl(platform), asset.isEmpty() ? "" : spec.releaseBase() + asset);
        EXPECT_EQ(spec.unsupportedReason(platform).startsWith("Godot " + spec.version + " has no"),
                  asset.isEmpty());
    }
    const GameInfo info{.engineMajor = 4, .engineVersion = "4.4.1", .usesCSharp = true};
    const EngineSpec dotnet = EngineSpec::forGame(&info);
    EXPECT_EQ(dotnet.installFolder(), dataHome() + "/Brennick/Engine/godot-4.4.1-mono");
    EXPECT_EQ(dotnet.checksumUrl(), "http://127.0.0.1:9/godotengine/godot-builds/releases/download/"
                                    "4.4.1-stable/SHA512-SUMS.txt");
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:8123//");
    EXPECT_EQ(EngineSpec().releaseBase(),
              "http://127.0.0.1:8123/godotengine/godot/releases/download/3.5.3-stable/");
    qunsetenv("QUILLFIRE_HOSTING_URL");
    EXPECT_TRUE(EngineSpec().releaseBase().startsWith("https://github.com/godotengine/"));
    const QString asset = "Godot_v4.2.2-stable_linux.x86_64.zip", a(128, 'a'), b(128, 'b');
    const std::pair<QString, std::optional<QString>> lists[] = {
        {a.toUpper() + " *" + asset + "\r\n", a},
        {"\n" + b + "\n" + b + "  Godot_v4.2.2-stable_win64.zip\n" + a + "\t" + asset, a},
        {a + "  " + asset + "\n" + b + "  " + asset + "\n", b},
        {a + "  " + asset.toLower() + "\n" + b + "  " + asset + ".txt", std::nullopt},
    };
    for (const auto& [text, digest] : lists)
        EXPECT_EQ(ChecksumList::digestFor(text, asset), digest) << text;
    const QByteArray big(9 * 1024 * 1024 + 3, 'b'); // past two chunk boundaries
    testkit::writeFile(scratch(), "big", big);
    EXPECT_EQ(EngineManager::sha512(scratch() + "/big"),
              QCryptographicHash::hash(big, QCryptographicHash::Sha512).toHex());
    // The .NET builds unpack into a folder of their own. Zips without modes lose the execute bit.
    const std::pair<EngineSpec, QString> layouts[] = {
        {{3, "3.5.3", true}, "Godot_v3.5.3-stable_mono_x11_64/Godot_v3.5.3-stable_mono_x11.64"},
        {{4, "4.3", true},
         "Godot_v4.3-stable_mono_linux_x86_64/Godot_v4.3-stable_mono_linux.x86_64"}};
    for (const auto& [mono, path] : layouts) {
        const QString folder = scratch() + "/" + mono.installFolderName();
        writeProgram(folder + "/" + path, readable);
        EXPECT_EQ(ProgramLookup::find(folder, mono.assetName(LinuxX86_64), LinuxX86_64),
                  folder + "/" + path);
        EXPECT_EQ(QFile::permissions(folder + "/" + path),
                  readable | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    }
    // A bundle's program: never one that cannot run or lies outside it, nor a document type's.
    const auto plist = [](const QByteArray& program) {
        return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n<key>"
               "CFBundleDocumentTypes</key><array><dict><key>CFBundleExecutable</key><string>"
               "Decoy</string></dict></array>\n<key>CFBundleExecutable</key>\n<string>" +
               program + "</string>\n</dict>\n</plist>\n";
    };
    const QString godot = scratch() + "/mac/Godot.app/Contents/";
    writeProgram(godot + "MacOS/Godot");
    writeProgram(scratch() + "/Outside");
    const std::tuple<QByteArray, QFile::Permissions, std::optional<QString>> bundles[] = {
        {"Godot", readable | QFile::ExeOwner, godot + "MacOS/Godot"},
        {"Godot", readable, std::nullopt},
        {"../../../../Outside", readable | QFile::ExeOwner, std::nullopt}};
    for (const auto& [name, permissions, found] : bundles) {
        testkit::writeFile(godot, "Info.plist", plist(name));
        QFile::setPermissions(godot + "MacOS/Godot", permissions);
        EXPECT_EQ(ProgramLookup::find(scratch() + "/mac", {}, MacOS), found) << name;
    }
}
