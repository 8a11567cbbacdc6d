#include "support/ByteCount.h"
#include "support/CancelToken.h"
#include "support/FolderOps.h"
#include "support/Leftovers.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "support/ZipExtractor.h"
#include "testkit/SmallDisk.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <sys/stat.h>
#include <thread>

TEST(ByteCount, UsesDecimalUnitsWithTheirUsualPrecision) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "Zero KB"},   {1, "1 byte"},           {999, "999 bytes"},      {1000, "1 KB"},
        {999999, "1 MB"}, {812349999, "812.3 MB"}, {1250000000, "1.25 GB"}, {-5000000, "-5 MB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(formatByteCount(bytes), text) << bytes;
}

TEST(CancelToken, WakesSleepersAndRunsEachHookOnceButNeverAfterItsScopeEnded) {
    CancelToken token;
    std::atomic<int> runs = 0;
    const CancelHook hook(&token, [&] { ++runs; });
    CancelHook(&token, [&] { runs += 100; }); // removed again at once
    const auto started = std::chrono::steady_clock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(20ms);
        token.cancel();
    });
    EXPECT_FALSE(token.sleepFor(60s)) << "woken";
    canceller.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
    const CancelHook late(&token, [&] { runs += 10; });
    EXPECT_EQ(runs, 11) << "the late hook at once, the removed one never";
    // Its owner may be gone once the scope that registered a hook has ended: a cancel races that.
    for (int round = 0; round < 20'000; ++round) {
        CancelToken racing;
        std::atomic<bool> ready = false, go = false, alive = true, ranLate = false;
        std::thread racer([&] {
            ready = true;
            while (!go)
                std::this_thread::yield(); // two cores: a spinning racer starves the test
            racing.cancel();
        });
        while (!ready)
            std::this_thread::yield();
        {
            const CancelHook scoped(&racing, [&] { ranLate = ranLate || !alive; });
            go = true;
            for (int spin = 0; spin < round % 100; ++spin)
                std::atomic_signal_fence(std::memory_order_seq_cst); // a varying little delay
        }
        alive = false;
        racer.join();
        ASSERT_FALSE(ranLate) << round;
    }
}

TEST(LogStore, KeepsTheNewest3000AndAppliesOtherThreadsLinesOnItsOwnThread) {
    LogStore log;
    for (int i = 1; i <= 3001; ++i)
        log.append(QString::number(i));
    std::thread([&log] { log.append("later"); }).join();
    EXPECT_EQ(log.tail(1), QStringList{"3001"});
    QCoreApplication::processEvents();
    EXPECT_EQ(log.at(0), "3");
    EXPECT_EQ(log.tail(1), QStringList{"later"});
}

using PathsTest = IsolatedTest;

TEST_F(PathsTest, AFolderSizeCountsHiddenFilesButNoLinksAndAFailedReplaceKeepsTheOld) {
    testkit::writeFile(scratch(), "tree/a.bin", QByteArray(5, 'x'));
    testkit::writeFile(scratch(), "tree/.hidden/b.bin", QByteArray(7, 'y'));
    testkit::writeFile(scratch(), "outside/big.bin", QByteArray(10000, 'z'));
    QFile::link(scratch() + "/outside/big.bin", scratch() + "/tree/link.bin");
    EXPECT_EQ(Paths::folderSize(scratch() + "/tree"), 12);
    EXPECT_THROW(FolderOps::replaceFolder(scratch() + "/missing", scratch() + "/tree"), Problem);
    EXPECT_EQ(Paths::folderSize(scratch() + "/tree"), 12);
}

TEST_F(PathsTest, OnlyWhatAKilledLauncherLeftBehindIsRemoved) {
    for (const char* path : {"Game.staging/x", "Game.old-1/x", "Engine/staging-A/x",
                             "Engine/godot-3.5.3.old-2/x", "Game/kept", "Engine/godot-3.5.3/kept"})
        testkit::writeFile(Paths::supportRoot(), path, "");
    for (const char* folder : {"Brennick-OLD", "Brennick-NEW", "other"})
        testkit::writeFile(QDir::tempPath(), QString(folder) + "/a.zip", "");
    QProcess::execute("touch", {"-d", "2 days ago", QDir::tempPath() + "/Brennick-OLD"});
    Leftovers::remove();
    const auto dirs = [](const QString& in) {
        return QDir(in).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    };
    EXPECT_EQ(dirs(Paths::supportRoot()), (QStringList{"Engine", "Game"}));
    EXPECT_EQ(dirs(Paths::engineFolder()), QStringList{"godot-3.5.3"});
    EXPECT_EQ(dirs(QDir::tempPath()), (QStringList{"Brennick-NEW", "other"}))
        << "a younger download may be another launcher's, running now";
}

TEST_F(PathsTest, FoldersTakeOnlyAnAbsoluteXdgFolderAndSafeSaveNames) {
    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(Paths::supportRoot(), QDir::homePath() + "/.local/share/Brennick");
    using enum Platform;
    const struct { Platform platform; QString xdg, name, folder; } rows[] = {
        {LinuxX86_64, "relative", "G", "/h/.local/share/godot/app_userdata/G"},
        {MacOS, "/xdg", "G", "/h/Library/Application Support/Godot/app_userdata/G"},
        {LinuxX86_64, "/d", "a:b*c?d\"e<f>g|h/i\\j", "/d/godot/app_userdata/a-b-c-d-e-f-g-h-i-j"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Paths::savesFolderFor(row.platform, "/h", row.xdg, row.name), row.folder)
            << row.name;
}

using ziptest::Entry;

class ZipExtractorTest : public IsolatedTest {
protected:
    QString target() const { return scratch() + "/box/target"; }
    // Unpacks `zip` into a fresh target; answers the status, and the complaints in `lines`.
    int extract(const QByteArray& zip) {
        QDir(target()).removeRecursively();
        QDir().mkpath(target());
        testkit::writeFile(scratch(), "a.zip", zip);
        lines.clear();
        return ZipExtractor::extract(scratch() + "/a.zip", target(),
                                     [this](const QString& line) { lines << line; });
    }
    QStringList lines;
};

TEST_F(ZipExtractorTest, UnpacksFilesFoldersLinksAndModesLaterEntriesReplacingEarlierOnes) {
    const QByteArray big(3 * 1024 * 1024 + 17, 'b'); // spans several read blocks
    ASSERT_EQ(extract(ziptest::zip({
                  Entry::file("g/project.godot", "config_version=4\n"),
                  Entry::file("g/bin/setuid", "x", 04755), Entry::file("g/big.bin", big),
                  Entry::link("g/bin/up", "../project.godot"), Entry::link("g/was-link", "big.bin"),
                  Entry::file("g/was-link", "plain"), Entry::folder("g/locked/", 0500),
                  Entry::file("g/locked/inner.txt", "i", 0400),
                  Entry::file("h/own-folder.txt", "h"), // not into g's folders still open
              })), 0) << lines.join('\n');
    const QString in = target() + "/";
    EXPECT_EQ(QFileInfo(in + "g/project.godot").lastModified().toSecsSinceEpoch(), 1700000000);
    // Set-id bits dropped; the owner may always change and delete (root would not notice).
    const struct { const char* name; unsigned mode; QByteArray content = {}; } files[] = {
        {.name = "g/bin/up", .mode = 0644, .content = "config_version=4\n"},
        {.name = "g/bin/setuid", .mode = 0755, .content = "x"},
        {.name = "g/big.bin", .mode = 0644, .content = big},
        {.name = "g/was-link", .mode = 0644, .content = "plain"},
        {.name = "g/locked", .mode = 0700},
        {.name = "g/locked/inner.txt", .mode = 0600, .content = "i"},
        {.name = "h/own-folder.txt", .mode = 0644, .content = "h"}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        struct stat info {};
        ::stat(QFile::encodeName(in + file.name).constData(), &info);
        EXPECT_EQ(info.st_mode & 07777, file.mode);
        EXPECT_EQ(testkit::readFile(in + file.name), file.content);
    }
}

TEST_F(ZipExtractorTest, RefusesUnsafeEntriesAndDamagedArchivesButThrowsOnAFullDisk) {
    const QByteArray stored = ziptest::zip(
        {Entry::file("a.txt", QByteArray(3'000'000, 'a')), Entry::file("b", "bbbbbbbb")},
        ziptest::Compression::Store);
    QByteArray flipped = stored, late = stored;
    flipped[stored.indexOf("bbbb")] = 'c';  // only the checksum can tell
    late[stored.lastIndexOf("aaaa")] = 'c'; // in the last read block of a large entry
    const std::pair<const char*, QByteArray> cases[] = {
        {"parent folder", ziptest::zip({Entry::file("a/../../evil", "x")})},
        {"absolute path", ziptest::zip({Entry::file(scratch() + "/box/evil", "x")})},
        {"link climbing out", ziptest::zip({Entry::link("sub/out", "../../evil")})},
        {"absolute link", ziptest::zip({Entry::link("out", scratch() + "/box/evil")})},
        // "c" leads to "a", so "c/../.." is the box although it climbs no higher than "out".
        {"link climbing after a name",
         ziptest::zip({Entry::link("a/b/c", ".."), Entry::link("a/b/out", "c/../../x")})},
        {"write through a link", ziptest::zip({Entry::folder("sub/"), Entry::link("dir", "sub"),
                                               Entry::file("dir/x", "x")})},
        {"data changed", flipped},
    };
    for (const auto& [what, zip] : cases) {
        EXPECT_EQ(extract(zip), 1) << what;
        EXPECT_FALSE(lines.isEmpty()) << what;
        EXPECT_EQ(QDir(scratch() + "/box").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{"target"}) << what;
    }
    for (const QByteArray& zip : {stored, late}) {
        testkit::writeFile(scratch(), "a.zip", zip);
        EXPECT_EQ(ZipExtractor::isWhole(scratch() + "/a.zip"), zip == stored);
    }
    MOUNT_SMALL_DISK_OR_SKIP(target(), "size=256k");
    // Thrown, not told as a damaged archive: only a full disk is.
    EXPECT_THROW(extract(ziptest::zip({Entry::file("big", QByteArray(1'000'000, 'b'))})), Problem);
}
