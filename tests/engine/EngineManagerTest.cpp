#include "engine/EngineManager.h"
#include "support/Sha512Hasher.h"
#include "engine/ChecksumList.h"
#include "engine/ProgramLookup.h"
#include "project/GameInfo.h"
#include "support/Paths.h"
#include "testkit/InstallFixture.h"
#include "testkit/SmallDisk.h"
#include "testkit/ZipBuilder.h"

#include <QCryptographicHash>
#include <QRegularExpression>

using ziptest::Entry;
using enum Platform;

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
    const QStringList earlierOnly{"data/Brennick", "data/Brennick/Engine",
                                  "data/Brennick/Engine/godot-4.2.2",
                                  "data/Brennick/Engine/godot-4.2.2/earlier.txt"};
};

TEST_F(EngineManagerTest, VerifiesTheDownloadAndReplacesTheEarlierBuild) {
    server.serveEngine(spec, engineZip({Entry::file("data/readme.txt", "d")}));
    install();
    EXPECT_EQ(log.lines(),
              (QStringList{"Downloading " + spec.archiveUrl(),
                           "Checking the download against Godot's published SHA512 checksum",
                           "Checksum OK", "Unpacking Godot", "Godot 4.2.2 installed"}));
    EXPECT_EQ(tree().filter(QRegularExpression("tmp/|staging|old|earlier|readme")),
              QStringList{"data/Brennick/Engine/godot-4.2.2/data/readme.txt"});
}

// A platform without a build is told before any download.
TEST_F(EngineManagerTest, AFailedInstallLeavesTheEarlierInstallAndNothingElse) {
    const EngineSpec old{3, "3.5.3", false};
    EXPECT_EQ(
        failureOf([&] { EngineManager::install(old, LinuxArm64, makeDownloader(), log, token); }),
        "Godot 3.5.3 has no official build for 64-bit ARM Linux, so this game can't be set up on "
        "this computer.");
    const QString asset = spec.assetName();
    const QByteArray zip = engineZip(), cut = zip.chopped(30),
                     noProgram = ziptest::zip({Entry::file("readme.txt", "")});
    const struct { const char* name; QByteArray archive, sums; QString sentence; } rows[] = {
        {.name = "not listed", .archive = zip, .sums = testkit::sumsLine(zip, asset + ".old"),
         .sentence = "Godot's checksum list has no entry for " + asset +
                     ", so the download can't be verified."},
        {.name = "other digest", .archive = zip, .sums = testkit::sumsLine("other bytes", asset),
         .sentence = "The Godot download does not match its published checksum, so it was thrown "
                     "away. Try again."},
        {.name = "cut archive", .archive = cut, .sums = testkit::sumsLine(cut, asset),
         .sentence = "Unpacking Godot failed: the archive is damaged or unsafe (Unrecognized "
                     "archive format)."},
        {.name = "no program", .archive = noProgram, .sums = testkit::sumsLine(noProgram, asset),
         .sentence = "Godot was unpacked but its program was not found."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        server.setRoute(QUrl(spec.archiveUrl()).path(), row.archive);
        server.setRoute(QUrl(spec.checksumUrl()).path(), row.sums);
        EXPECT_EQ(failureOf([this] { install(); }), row.sentence);
        EXPECT_EQ(tree(), earlierOnly);
    }
}

// On 4 MiB: the estimate before the download (thrice the archive, and the download itself when it
// goes to the same disk), the archive's before unpacking.
TEST_F(EngineManagerTest, ADataFolderTooSmallIsToldBeforeAnythingIsWritten) {
    MOUNT_SMALL_DISK_OR_SKIP(dataHome(), "size=4m");
    const QByteArray stored = ziptest::zip({Entry::file(program, QByteArray(2'000'000, 's'), 0755)},
                                           ziptest::Compression::Store);
    const struct { const char* name; QByteArray zip; QString tmp; const char* needed; } rows[] = {
        {.name = "download", .zip = stored, .tmp = home() + "/tmp", .needed = "6 MB"},
        {.name = "download on its disk", .zip = stored, .tmp = dataHome() + "/tmp",
         .needed = "8 MB"},
        {.name = "unpacking", .zip = engineZip({Entry::file("zeros", QByteArray(20'000'000, 0))}),
         .tmp = home() + "/tmp", .needed = "20 MB"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDir().mkpath(row.tmp);
        qputenv("TMPDIR", row.tmp.toUtf8());
        server.serveEngine(spec, row.zip);
        const QString folder = QDir::cleanPath(Paths::engineFolder());
        EXPECT_EQ(failureOf([this] { install(); }).section(';', 0, 0),
                  QString("Brennick needs about %1 free in %2").arg(row.needed, folder));
    }
}

constexpr auto readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                          QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
constexpr auto runnable = readable | QFile::ExeOwner;

void writeProgram(const QString& path, QFile::Permissions permissions = runnable) {
    testkit::writeFile(QFileInfo(path).path(), QFileInfo(path).fileName(), "#!/bin/sh\n");
    QFile::setPermissions(path, permissions);
}

using EngineTest = IsolatedTest;

TEST_F(EngineTest, AGameGetsTheOfficialBuildOfItsVersionLanguageAndPlatformFromTheNamedHost) {
    const struct { const char* name; Platform os; EngineSpec godot; QString asset = {}; } rows[] = {
        {.name = "mac 3 .NET", .os = MacOS, .godot = {3, "3.5.3", true},
         .asset = "mono_osx.universal"},
        {.name = "mac 4", .os = MacOS, .godot = {4, "4.2.1", false}, .asset = "macos.universal"},
        {.name = "linux 3", .os = LinuxX86_64, .godot = {3, "3.5.3", false}, .asset = "x11.64"},
        {.name = "arm 4.2", .os = LinuxArm64, .godot = {4, "4.2", false}, .asset = "linux.arm64"},
        {.name = "arm 4 .NET", .os = LinuxArm64, .godot = {4, "4.2.2", true},
         .asset = "mono_linux_arm64"},
        {.name = "arm before 4.2", .os = LinuxArm64, .godot = {4, "4.1.4", false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const EngineSpec& godot = row.godot;
        const QString asset =
            row.asset.isEmpty() ? "" : "Godot_v" + godot.version + "-stable_" + row.asset + ".zip";
        EXPECT_EQ(godot.assetName(row.os), asset);
        EXPECT_EQ(godot.archiveUrl(row.os), asset.isEmpty() ? "" : godot.releaseBase() + asset);
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
}

// The digest listed last for exactly the asset; the file's is taken past two chunk boundaries.
TEST_F(EngineTest, TheDownloadIsVerifiedAgainstTheDigestListedForItsAsset) {
    const QString asset = "Godot_v4.2.2-stable_linux.x86_64.zip", a(128, 'a'), b(128, 'b');
    const struct { const char* name; std::optional<QString> digest = {}; QString text; } rows[] = {
        {.name = "binary mode, CRLF", .digest = a, .text = a.toUpper() + " *" + asset + "\r\n"},
        {.name = "among others", .digest = a,
         .text = "\n" + b + "\n" + b + "  Godot_v4.2.2-stable_win64.zip\n" + a + "\t" + asset},
        {.name = "twice", .digest = b, .text = a + "  " + asset + "\n" + b + "  " + asset + "\n"},
        {.name = "inexact", .text = a + "  " + asset.toLower() + "\n" + b + "  " + asset + ".txt"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ChecksumList::digestFor(row.text, asset), row.digest);
    }
    const QByteArray big(9 * 1024 * 1024 + 3, 'b');
    testkit::writeFile(scratch(), "big", big);
    EXPECT_EQ(fileSha512(scratch() + "/big"),
              QCryptographicHash::hash(big, QCryptographicHash::Sha512).toHex());
}

// .NET builds keep theirs in a folder of their own, and zips without modes lose the execute bit. A
// bundle's is the one its Info.plist names, never one that cannot run or lies outside the bundle,
// nor a document type's.
TEST_F(EngineTest, TheProgramIsFoundWhereItsBuildKeepsIt) {
    const struct { const char* name; EngineSpec mono; QString program; } dotnet[] = {
        {.name = "3", .mono = {3, "3.5.3", true},
         .program = "Godot_v3.5.3-stable_mono_x11_64/Godot_v3.5.3-stable_mono_x11.64"},
        {.name = "4", .mono = {4, "4.3", true},
         .program = "Godot_v4.3-stable_mono_linux_x86_64/Godot_v4.3-stable_mono_linux.x86_64"},
    };
    for (const auto& row : dotnet) {
        SCOPED_TRACE(row.name);
        const QString folder = scratch() + "/" + row.mono.installFolderName(),
                      asset = row.mono.assetName(LinuxX86_64),
                      path = folder + "/" + row.program;
        writeProgram(path, readable);
        EXPECT_EQ(ProgramLookup::find(folder, asset, LinuxX86_64), path);
        EXPECT_EQ(QFile::permissions(path),
                  readable | QFile::ExeOwner | QFile::ExeUser | QFile::ExeGroup | QFile::ExeOther);
    }
    const auto plist = [](const QByteArray& program) {
        return "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n<key>"
               "CFBundleDocumentTypes</key><array><dict><key>CFBundleExecutable</key><string>"
               "Decoy</string></dict></array>\n<key>CFBundleExecutable</key>\n<string>" +
               program + "</string>\n</dict>\n</plist>\n";
    };
    const QString godot = scratch() + "/mac/Godot.app/Contents/";
    writeProgram(godot + "MacOS/Godot");
    writeProgram(scratch() + "/Outside");
    const struct { const char* name; QByteArray program; QFile::Permissions mode;
                   std::optional<QString> found = {}; } rows[] = {
        {.name = "runs", .program = "Godot", .mode = runnable, .found = godot + "MacOS/Godot"},
        {.name = "cannot run", .program = "Godot", .mode = readable},
        {.name = "outside", .program = "../../../../Outside", .mode = runnable},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testkit::writeFile(godot, "Info.plist", plist(row.program));
        QFile::setPermissions(godot + "MacOS/Godot", row.mode);
        EXPECT_EQ(ProgramLookup::find(scratch() + "/mac", {}, MacOS), row.found);
    }
}
