#include "support/ZipExtractor.h"
#include "support/UserError.h"
#include "testkit/SmallDisk.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>

using ziptest::Entry;

namespace {

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
                  Entry::folder("g/"),
                  Entry::file("g/project.godot", "config_version=4\n"),
                  Entry::file("g/bin/run.sh", "#!/bin/sh\n", 0755),
                  Entry::file("g/bin/setuid", "x", 04755),
                  Entry::file("g/big.bin", big),
                  Entry::link("g/current", "bin/run.sh"),
                  Entry::link("g/bin/up", "../project.godot"),
                  Entry::file("./g/./twice.txt", "one"),
                  Entry::file("g/twice.txt", "two"),
                  Entry::link("g/was-link", "twice.txt"),
                  Entry::file("g/was-link", "plain"),
                  Entry::folder("g/locked/", 0500),
                  Entry::file("g/locked/inner.txt", "i", 0400),
              })),
              0)
        << lines.join('\n');
    const QString g = target() + "/g";
    EXPECT_EQ(testkit::readFile(g + "/big.bin"), big);
    EXPECT_FALSE(QFileInfo(g + "/project.godot").isExecutable());
    EXPECT_EQ(QFileInfo(g + "/project.godot").lastModified().toSecsSinceEpoch(), 1700000000);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(g + "/bin/setuid").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u) << "set-id bits are dropped";
    EXPECT_EQ(QFileInfo(g + "/current").symLinkTarget(), g + "/bin/run.sh");
    EXPECT_EQ(testkit::readFile(g + "/bin/up"), "config_version=4\n");
    EXPECT_EQ(testkit::readFile(g + "/twice.txt"), "two");
    EXPECT_FALSE(QFileInfo(g + "/was-link").isSymLink());
    EXPECT_EQ(testkit::readFile(g + "/locked/inner.txt"), "i");
    EXPECT_TRUE(lines.isEmpty()) << lines.join('\n');
    EXPECT_TRUE(QDir(target()).removeRecursively()) << "what was unpacked can be deleted";
}

TEST_F(ZipExtractorTest, RefusesUnsafeEntriesAndDamagedArchivesWritingNothingOutside) {
    const QByteArray stored =
        ziptest::zip({Entry::file("a.txt", QByteArray(5000, 'a')), Entry::file("b", "bbbbbbbb")},
                     ziptest::Compression::Store);
    QByteArray flipped = stored;
    flipped[stored.indexOf("bbbb")] = 'c'; // only the checksum can tell
    const std::pair<const char*, QByteArray> cases[] = {
        {"parent folder", ziptest::zip({Entry::file("a/../../evil", "x")})},
        {"absolute path", ziptest::zip({Entry::file(scratch() + "/box/evil", "x")})},
        {"link climbing out", ziptest::zip({Entry::link("sub/out", "../../evil")})},
        {"absolute link", ziptest::zip({Entry::link("out", scratch() + "/box/evil")})},
        {"link climbing after a name",
         ziptest::zip({Entry::link("down", "."), Entry::link("out", "down/../x")})},
        {"write through a link", ziptest::zip({Entry::folder("sub/"), Entry::link("dir", "sub"),
                                               Entry::file("dir/x", "x")})},
        {"cut in half", stored.left(stored.size() / 2)},
        {"cut where the entries end", stored.left(stored.indexOf("PK\x01\x02"))},
        {"data changed", flipped},
        {"not a zip", "just some text\n"},
    };
    for (const auto& [what, zip] : cases) {
        EXPECT_EQ(extract(zip), 1) << what;
        EXPECT_FALSE(lines.isEmpty()) << what;
        EXPECT_EQ(QDir(scratch() + "/box").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList{"target"})
            << what;
    }
}

TEST_F(ZipExtractorTest, AFullDiskIsNoBrokenArchive) {
    const SmallDisk disk(target(), "size=256k");
    if (!disk.mounted())
        GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)";
    testkit::writeFile(scratch(), "a.zip",
                       ziptest::zip({Entry::file("big", QByteArray(1'000'000, 'b'))}));
    EXPECT_THROW(ZipExtractor::extract(scratch() + "/a.zip", target(), [](const QString&) {}),
                 DiskFullError);
}

} // namespace
