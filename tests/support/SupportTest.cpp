#include "support/ByteCount.h"
#include "support/CancelToken.h"
#include "support/FolderOps.h"
#include "support/Leftovers.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/UserError.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

TEST(ByteCount, UsesDecimalUnitsWithTheirUsualPrecision) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {999'499, "999 KB"},
        {999'999, "1 MB"},
        {812'349'999, "812.3 MB"},
        {1'250'000'000, "1.25 GB"},
        {-5'000'000, "-5 MB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(formatByteCount(bytes), text) << bytes;
}

TEST(CancelToken, WakesSleepersAndRunsEachHookOnceEvenWhenAddedLate) {
    CancelToken token;
    std::atomic<int> runs = 0;
    CancelHook hook(&token, [&] { ++runs; });
    bool removedRan = false;
    {
        CancelHook removed(&token, [&] { removedRan = true; });
    }
    bool sleptFully = true;
    std::thread sleeper([&] { sleptFully = token.sleepFor(60s); });
    std::this_thread::sleep_for(20ms);
    token.cancel();
    token.cancel();
    sleeper.join();
    EXPECT_FALSE(sleptFully);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(removedRan);
    bool lateRan = false;
    CancelHook late(&token, [&] { lateRan = true; });
    EXPECT_TRUE(lateRan);
    EXPECT_THROW(token.throwIfCancelled(), Cancelled);
    EXPECT_TRUE(CancelToken().sleepFor(5ms));
}

// A hook must never run once the scope that registered it has ended (its owner may be gone): a
// cancel races the end of the scope, round after round.
TEST(CancelToken, AHookNeverRunsAfterItsScopeHasEnded) {
    int late = 0;
    for (int round = 0; round < 20'000 && late == 0; ++round) {
        CancelToken token;
        std::atomic<bool> ready = false, go = false, alive = true, ranLate = false;
        std::thread canceller([&] {
            ready = true;
            while (!go) {
            }
            token.cancel();
        });
        while (!ready) {
        }
        {
            const CancelHook hook(&token, [&] { ranLate = ranLate || !alive; });
            go = true;
            for (int spin = 0; spin < round % 100; ++spin)
                std::atomic_signal_fence(std::memory_order_seq_cst); // a varying little delay
        }
        alive = false;
        canceller.join();
        late += ranLate ? 1 : 0;
    }
    EXPECT_EQ(late, 0);
}

TEST(LogStore, KeepsTheNewest3000InEachThreadsOrderAppliedOnItsOwnThread) {
    LogStore log;
    for (int i = 1; i <= 3001; ++i)
        log.append(QString::number(i));
    EXPECT_EQ(log.at(0), "2");
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([&log, w] {
            for (int i = 0; i < 1000; ++i)
                log.append(QString("%1:%2").arg(w).arg(i));
        });
    for (auto& writer : writers)
        writer.join();
    EXPECT_EQ(log.tail(1), QStringList{"3001"}) << "other threads' lines wait for the GUI thread";
    QCoreApplication::processEvents();
    ASSERT_EQ(log.size(), 3000);
    std::vector<int> last(4, -1);
    for (const QString& line : log.lines()) {
        const int w = line.section(':', 0, 0).toInt(), i = line.section(':', 1).toInt();
        EXPECT_GT(i, last[w]);
        last[w] = i;
    }
    std::thread([&] { log.clear(); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(log.size(), 0);
}

using PathsTest = IsolatedTest;

TEST_F(PathsTest, FoldersOfTheLauncherAndTheEngine) {
    EXPECT_EQ(Paths::gameFolder(), dataHome() + "/Brennick/Game");
    EXPECT_FALSE(QDir(Paths::supportRoot()).exists()) << "looking it up does not create it";
    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(Paths::supportRoot(), QDir::homePath() + "/.local/share/Brennick") << "ignored";
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    const std::tuple<Platform, QString, QString, QString> saves[] = {
        {Platform::LinuxX86_64, "", "My Game", "/h/.local/share/godot/app_userdata/My Game"},
        {Platform::LinuxArm64, "/xdg", "G", "/xdg/godot/app_userdata/G"},
        {Platform::LinuxX86_64, "relative", "G", "/h/.local/share/godot/app_userdata/G"},
        {Platform::MacOS, "/xdg", "G", "/h/Library/Application Support/Godot/app_userdata/G"},
        {Platform::LinuxX86_64, "/d", "a:b*c?d\"e<f>g|h/i\\j",
         "/d/godot/app_userdata/a-b-c-d-e-f-g-h-i-j"},
    };
    for (const auto& [platform, xdg, name, folder] : saves)
        EXPECT_EQ(Paths::savesFolderFor(platform, "/h", xdg, name), folder) << name;
}

TEST_F(PathsTest, FolderSizeCountsRegularFilesHiddenOnesTooButNotLinks) {
    testkit::writeFile(scratch(), "tree/a.bin", QByteArray(5, 'x'));
    testkit::writeFile(scratch(), "tree/.hidden/b.bin", QByteArray(7, 'y'));
    testkit::writeFile(scratch(), "outside/big.bin", QByteArray(10000, 'z'));
    QFile::link(scratch() + "/outside/big.bin", scratch() + "/tree/link.bin");
    QFile::link(scratch() + "/outside", scratch() + "/tree/linkdir");
    EXPECT_EQ(Paths::folderSize(scratch() + "/tree"), 12);
    EXPECT_EQ(Paths::folderSize(scratch() + "/missing"), 0);
}

TEST_F(PathsTest, WhatAKilledLauncherLeftBehindIsRemovedButNothingElse) {
    for (const char* path : {"Game.staging/x", "Game.old-1/x", "Engine/staging-A/x",
                             "Engine/godot-3.5.3.old-2/x", "Game/kept", "Engine/godot-3.5.3/kept"})
        testkit::writeFile(Paths::supportRoot(), path, "");
    for (const char* folder : {"Brennick-OLD", "Brennick-NEW", "other"})
        testkit::writeFile(QDir::tempPath(), QString(folder) + "/a.zip", "");
    const timespec twoDaysAgo[2] = {{time(nullptr) - 2 * 86400, 0}, {time(nullptr) - 2 * 86400, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(QDir::tempPath() + "/Brennick-OLD"), twoDaysAgo, 0);
    Leftovers::remove();
    EXPECT_EQ(QDir(Paths::supportRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"Engine", "Game"}));
    EXPECT_EQ(QDir(Paths::engineFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              QStringList{"godot-3.5.3"});
    EXPECT_EQ(QDir(QDir::tempPath()).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"Brennick-NEW", "other"}))
        << "a younger download may be another launcher's, running now";
}

TEST_F(PathsTest, AReplaceThatFailsPutsTheOldFolderBack) {
    testkit::writeFile(scratch(), "Game/old.txt", "old");
    EXPECT_THROW(FolderOps::replaceFolder(scratch() + "/missing", scratch() + "/Game"),
                 FileSystemError);
    EXPECT_EQ(QDir(scratch()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"Game"});
    EXPECT_EQ(testkit::readFile(scratch() + "/Game/old.txt"), "old");
}
