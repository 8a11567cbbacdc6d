#include "support/ZipExtractor.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using ziptest::Entry;

namespace {

class ZipExtractorTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        QDir().mkpath(target());
    }
    QString target() const { return scratch() + "/box/target"; }

    int extract(const QByteArray& zip, const QString& into = {}) {
        testkit::writeFile(scratch(), "a.zip", zip);
        lines.clear();
        return ZipExtractor::extract(scratch() + "/a.zip", into.isEmpty() ? target() : into,
                                     [this](const QString& line) { lines << line; });
    }
    // Everything in the box around the target, links not followed.
    QStringList boxContents() const {
        QStringList found;
        QDirIterator it(scratch() + "/box", QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QDir(scratch() + "/box").relativeFilePath(it.next());
        return found;
    }

    QStringList lines;
};

TEST_F(ZipExtractorTest, UnpacksFilesFoldersLinksAndModesReplacingEarlierEntries) {
    const QByteArray big(3 * 1024 * 1024 + 17, 'b'); // spans several read blocks
    ASSERT_EQ(extract(ziptest::zip({
                  Entry::folder("game/"),
                  Entry::file("game/project.godot", "config_version=4\n"),
                  Entry::file("game/bin/run.sh", "#!/bin/sh\n", 0755),
                  Entry::file("game/bin/setuid", "x", 04755),
                  Entry::file("game/big.bin", big),
                  Entry::link("game/current", "bin/run.sh"),
                  Entry::link("game/bin/up", "../project.godot"),
                  Entry::file("./game/./twice.txt", "one"),
                  Entry::file("game/twice.txt", "two"),
                  Entry::link("game/was-link", "twice.txt"),
                  Entry::file("game/was-link", "plain"),
                  Entry{Entry::Kind::Folder, "game/locked/", {}, 0500},
                  Entry{Entry::Kind::File, "game/locked/inner.txt", "i", 0400},
              })),
              0)
        << lines.join('\n').toStdString();
    const QString game = target() + "/game";
    EXPECT_EQ(testkit::readFile(game + "/big.bin"), big);
    EXPECT_TRUE(QFileInfo(game + "/bin/run.sh").isExecutable());
    EXPECT_FALSE(QFileInfo(game + "/project.godot").isExecutable());
    EXPECT_EQ(QFileInfo(game + "/project.godot").lastModified().toSecsSinceEpoch(), 1700000000);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(game + "/bin/setuid").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u) << "set-id bits are dropped";
    EXPECT_EQ(QFileInfo(game + "/current").symLinkTarget(), game + "/bin/run.sh");
    EXPECT_EQ(testkit::readFile(game + "/bin/up"), "config_version=4\n");
    EXPECT_EQ(testkit::readFile(game + "/twice.txt"), "two");
    EXPECT_FALSE(QFileInfo(game + "/was-link").isSymLink());
    EXPECT_EQ(testkit::readFile(game + "/locked/inner.txt"), "i");
    EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
    EXPECT_TRUE(QDir(target()).removeRecursively()) << "what was unpacked can be deleted";
}

TEST_F(ZipExtractorTest, RefusesEveryUnsafeEntryAndWritesNothingOutside) {
    const QString outside = scratch() + "/box/evil";
    const std::pair<const char*, QList<Entry>> cases[] = {
        {"parent folder", {Entry::file("../evil", "x")}},
        {"climb inside the name", {Entry::file("a/../../evil", "x")}},
        {"absolute path", {Entry::file(outside, "x")}},
        {"link climbing out", {Entry::link("sub/out", "../../evil")}},
        {"absolute link", {Entry::link("out", outside)}},
        {"link climbing after a name", {Entry::link("down", "."), Entry::link("out", "down/../x")}},
        {"write through a link",
         {Entry::folder("sub/"), Entry::link("dir", "sub"), Entry::file("dir/evil", "x")}},
    };
    for (const auto& [what, entries] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(extract(ziptest::zip(entries)), 1);
        EXPECT_FALSE(lines.isEmpty()) << "the reason is reported";
        for (const QString& path : boxContents())
            EXPECT_TRUE(path == "target" || path.startsWith("target/")) << path.toStdString();
        QDir(target()).removeRecursively();
        QDir().mkpath(target());
    }
}

TEST_F(ZipExtractorTest, FailsOnDamagedArchivesAndMissingFolders) {
    const QByteArray stored = ziptest::zip(
        {Entry::file("a.txt", QByteArray(5000, 'a')), Entry::file("b.bin", QByteArray(20000, 'b'))},
        ziptest::Compression::Store);
    QByteArray flipped = stored;
    flipped[stored.indexOf("bbbb") + 100] = 'c'; // only the checksum can tell
    const std::pair<const char*, QByteArray> damaged[] = {
        {"cut in half", stored.left(stored.size() / 2)},
        {"last byte missing", stored.chopped(1)},
        {"cut where the entries end", stored.left(stored.indexOf("PK\x01\x02"))},
        {"data changed", flipped},
        {"not a zip", "just some text\n"},
    };
    for (const auto& [what, bytes] : damaged) {
        EXPECT_EQ(extract(bytes), 1) << what;
        EXPECT_FALSE(lines.isEmpty()) << what;
    }
    EXPECT_EQ(extract(stored, scratch() + "/no-such-folder"), 1);
}

} // namespace
