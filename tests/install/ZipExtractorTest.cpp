#include "support/ZipExtractor.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using ziptest::Entry;

namespace {

class ZipExtractorTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        box = scratch() + "/box";
        target = box + "/target";
        ASSERT_TRUE(QDir().mkpath(target));
    }

    int extract(const QString& archive) {
        return ZipExtractor::extract(archive, target,
                                     [this](const QString& line) { lines << line; });
    }
    int extract(const QList<Entry>& entries) {
        return extract(ziptest::writeZip(scratch() + "/a.zip", entries));
    }
    int extractBytes(const QByteArray& bytes) {
        testkit::writeFile(scratch(), "a.zip", bytes);
        return extract(scratch() + "/a.zip");
    }

    // Everything in the box, links not followed.
    QStringList boxContents() const {
        QStringList found;
        QDirIterator it(box, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(box).relativeFilePath(it.next());
        found.sort();
        return found;
    }

    QString box;
    QString target;
    QStringList lines;
};

TEST_F(ZipExtractorTest, UnpacksFilesFoldersLinksAndModes) {
    const QByteArray big(3 * 1024 * 1024 + 17, 'b'); // spans several read blocks
    ASSERT_EQ(
        extract({Entry::folder("game/"), Entry::file("game/project.godot", "config_version=4\n"),
                 Entry::file("game/bin/run.sh", "#!/bin/sh\n", 0755),
                 Entry::file("game/bin/setuid", "x", 04755), Entry::file("game/empty.txt", ""),
                 Entry::file("game/big.bin", big),
                 Entry::file(QString::fromUtf8("game/Ünïcødé.txt"), "u"),
                 Entry::link("game/current", "bin/run.sh"),
                 Entry::link("game/bin/up", "../project.godot"),
                 Entry::file("./game/./dot.txt", "d")}),
        0)
        << lines.join('\n').toStdString();

    const QString game = target + "/game";
    EXPECT_EQ(testkit::readFile(game + "/project.godot"), "config_version=4\n");
    EXPECT_EQ(testkit::readFile(game + "/big.bin"), big);
    EXPECT_TRUE(QFileInfo(game + "/empty.txt").isFile());
    EXPECT_EQ(testkit::readFile(game + QString::fromUtf8("/Ünïcødé.txt")), "u");
    EXPECT_EQ(testkit::readFile(game + "/dot.txt"), "d");
    EXPECT_TRUE(QFileInfo(game + "/bin/run.sh").isExecutable());
    EXPECT_FALSE(QFileInfo(game + "/project.godot").isExecutable());
    EXPECT_EQ(QFileInfo(game + "/current").symLinkTarget(),
              QFileInfo(game + "/bin/run.sh").canonicalFilePath());
    EXPECT_EQ(testkit::readFile(game + "/bin/up"), "config_version=4\n");
    EXPECT_EQ(QFileInfo(game + "/project.godot").lastModified().toSecsSinceEpoch(), 1700000000);

    EXPECT_TRUE(QFileInfo(game + "/bin/setuid").isExecutable());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(game + "/bin/setuid").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07000, 0u) << "set-id bits are dropped";
    EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
}

TEST_F(ZipExtractorTest, LaterEntriesReplaceEarlierOnesWithoutFollowingLinks) {
    ASSERT_EQ(extract({Entry::file("twice.txt", "one"), Entry::file("twice.txt", "two"),
                       Entry::link("was-link", "twice.txt"), Entry::file("was-link", "plain"),
                       Entry::file("was-file", "f"), Entry::folder("was-file/")}),
              0)
        << lines.join('\n').toStdString();
    EXPECT_EQ(testkit::readFile(target + "/twice.txt"), "two");
    EXPECT_FALSE(QFileInfo(target + "/was-link").isSymLink());
    EXPECT_EQ(testkit::readFile(target + "/was-link"), "plain");
    EXPECT_TRUE(QFileInfo(target + "/was-file").isDir());
}

TEST_F(ZipExtractorTest, WhatItUnpacksCanAlwaysBeDeletedAgain) {
    ASSERT_EQ(extract({Entry{Entry::Kind::Folder, "locked/", {}, 0500},
                       Entry{Entry::Kind::File, "locked/inner.txt", "i", 0400}}),
              0);
    EXPECT_EQ(testkit::readFile(target + "/locked/inner.txt"), "i");
    EXPECT_TRUE(QDir(target).removeRecursively());
}

// Where the data of entry `index` starts, after its local header.
qsizetype dataStart(const QByteArray& zip, int index) {
    qsizetype at = -1;
    for (int i = 0; i <= index; ++i)
        at = zip.indexOf("PK\x03\x04", at + 1);
    const auto field = [&](int offset) {
        return static_cast<uchar>(zip[at + offset]) | static_cast<uchar>(zip[at + offset + 1]) << 8;
    };
    return at + 30 + field(26) + field(28);
}

struct UnsafeCase {
    const char* what;
    std::function<QByteArray(const QString& box)> zip;
};

std::vector<UnsafeCase> unsafeCases() {
    using ziptest::zip;
    return {
        {"parent folder", [](const QString&) { return zip({Entry::file("../evil", "x")}); }},
        {"climb inside the name",
         [](const QString&) { return zip({Entry::file("a/../../evil", "x")}); }},
        {"absolute path",
         [](const QString& box) { return zip({Entry::file(box + "/evil", "x")}); }},
        {"link climbing out",
         [](const QString&) { return zip({Entry::link("sub/out", "../../evil")}); }},
        {"absolute link",
         [](const QString& box) { return zip({Entry::link("out", box + "/evil")}); }},
        {"link climbing after a name",
         [](const QString&) {
             return zip({Entry::link("down", "."), Entry::link("out", "down/../evil")});
         }},
        {"write through a link",
         [](const QString&) {
             return zip(
                 {Entry::folder("sub/"), Entry::link("dir", "sub"), Entry::file("dir/evil", "x")});
         }},
    };
}

TEST_F(ZipExtractorTest, RefusesEveryUnsafeEntryAndWritesNothingOutside) {
    for (const UnsafeCase& c : unsafeCases()) {
        SCOPED_TRACE(c.what);
        lines.clear();
        EXPECT_EQ(extractBytes(c.zip(box)), 1);
        EXPECT_FALSE(lines.isEmpty()) << "the reason is reported";
        for (const QString& path : boxContents())
            EXPECT_TRUE(path == "target" || path.startsWith("target/")) << path.toStdString();
        EXPECT_FALSE(QFileInfo::exists(scratch() + "/evil"));
        QDir(target).removeRecursively();
        QDir().mkpath(target);
    }
}

TEST_F(ZipExtractorTest, FailsOnDamagedArchives) {
    const QList<Entry> entries{Entry::file("a.txt", QByteArray(5000, 'a')),
                               Entry::file("b.bin", QByteArray(20000, 'b'))};
    const QByteArray stored = ziptest::zip(entries, ziptest::Compression::Store);
    const QByteArray deflated = ziptest::zip(entries);
    const qsizetype centralDirectory = stored.indexOf("PK\x01\x02");
    ASSERT_GT(centralDirectory, 0);

    QByteArray flippedStored = stored;
    flippedStored[stored.indexOf("bbbb") + 100] = 'c'; // only the checksum can tell
    QByteArray flippedDeflated = deflated;
    flippedDeflated[dataStart(deflated, 1) + 3] ^= 0x55;

    const std::vector<std::pair<const char*, QByteArray>> damaged{
        {"cut in half", stored.left(stored.size() / 2)},
        {"last byte missing", stored.chopped(1)},
        {"cut where the entries end", stored.left(centralDirectory)},
        {"stored data changed", flippedStored},
        {"deflated data changed", flippedDeflated},
        {"not a zip", QByteArray("just some text\n")},
        {"empty file", QByteArray()},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        lines.clear();
        EXPECT_EQ(extractBytes(bytes), 1);
        EXPECT_FALSE(lines.isEmpty());
    }
}

TEST_F(ZipExtractorTest, FailsWhenTheArchiveOrTargetIsMissing) {
    EXPECT_EQ(extract(scratch() + "/missing.zip"), 1);
    const QString archive = ziptest::writeZip(scratch() + "/ok.zip", {Entry::file("a", "a")});
    EXPECT_EQ(ZipExtractor::extract(archive, scratch() + "/no-such-folder",
                                    [this](const QString& l) { lines << l; }),
              1);
    EXPECT_EQ(lines.size(), 2);
}

} // namespace
