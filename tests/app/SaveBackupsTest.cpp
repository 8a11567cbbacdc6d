#include "app/SaveBackups.h"
#include "support/ByteCount.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "support/ZipWriter.h"
#include "testkit/SmallDisk.h"
#include "testkit/TestEnvironment.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

class SaveBackupsTest : public IsolatedTest {
protected:
    static QString saves() { return Paths::savesFolder("Brennick"); }
    static QStringList backupFiles() {
        return QDir(Paths::saveBackupsFolder()).entryList(QDir::Files | QDir::Hidden);
    }
    static GameInfo installedGame() {
        InstalledVersion installed;
        installed.commit = "1a2b3c4d5e6f7a8b9c0d1a2b3c4d5e6f7a8b9c0d";
        return {.projectName = "Brennick", .installed = installed};
    }
    const GameInfo game = installedGame();
};

TEST_F(SaveBackupsTest, MissingOrEmptySavesMakeNoBackup) {
    EXPECT_FALSE(SaveBackups::backUp(game));
    QDir().mkpath(saves());
    EXPECT_FALSE(SaveBackups::backUp(game));
    EXPECT_TRUE(backupFiles().isEmpty());
}

TEST_F(SaveBackupsTest, TheNewestTenAreKeptNamedByTimeAndCommitNewestFirst) {
    testkit::writeFile(saves(), ".hidden/slot1.save", "progress");
    QStringList made;
    for (int i = 0; i < 12; ++i)
        made << SaveBackups::backUp(game).value_or("none");
    const QList<SaveBackups::Backup> backups = SaveBackups::list();
    ASSERT_EQ(backups.size(), SaveBackups::kept);
    for (qsizetype i = 0; i < backups.size(); ++i)
        EXPECT_EQ(backups[i].path, made[11 - i]) << i;
    EXPECT_EQ(backupFiles().size(), SaveBackups::kept) << "the two oldest are deleted";
    const QRegularExpression name(R"(^\d{4}-\d\d-\d\d \d\d-\d\d-\d\d 1a2b3c4( \(\d+\))?\.zip$)");
    EXPECT_TRUE(name.match(QFileInfo(made[0]).fileName()).hasMatch()) << made[0];
    EXPECT_TRUE(SaveBackups::label(backups[0])
                    .endsWith(", " + formatByteCount(QFileInfo(made[11]).size())));
}

// Past the space estimate (the launch test meets that one), the zip itself meets the full disk:
// nothing is left behind.
TEST_F(SaveBackupsTest, ABackupThatDoesNotFitLeavesNoZip) {
    QByteArray noise(1'000'000, 0);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    testkit::writeFile(saves(), "slot1.save", noise);
    MOUNT_SMALL_DISK_OR_SKIP(Paths::saveBackupsFolder(), "size=256k");
    const QString zip = Paths::saveBackupsFolder() + "/direct.zip";
    EXPECT_THROW(ZipWriter::writeFolder(saves(), zip), Problem);
    EXPECT_TRUE(backupFiles().isEmpty()) << backupFiles().join(", ");
}

} // namespace
