#include "Fuzz.h"
#include "project/InstalledVersion.h"
#include "support/ZipExtractor.h"

#include <QDirIterator>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTemporaryDir root;
    const QString zip = writeFile(root.filePath("in.zip"), bytes(data, size));
    QDir(root.path()).mkdir("out");
    const QString out = QDir(root.filePath("out")).canonicalPath() + '/';
    const int status = ZipExtractor::extract(zip, out, [](const QString&) {});
    InstalledVersion::commitIn(ZipExtractor::comment(zip));
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    FUZZ_CHECK(QDir(root.path()).entryList(all) == QStringList({"in.zip", "out"}));
    qint64 written = 0; // no link may lead out, not even one left dangling
    for (QDirIterator it(out, all, QDirIterator::Subdirectories); it.hasNext();) {
        const QFileInfo entry(it.next());
        FUZZ_CHECK(QDir::cleanPath(entry.isSymLink() ? entry.symLinkTarget() : entry.filePath())
                       .startsWith(out));
        FUZZ_CHECK(!entry.exists() || entry.canonicalFilePath().startsWith(out));
        written += entry.isFile() && !entry.isSymLink() ? entry.size() : 0;
    }
    // A space check made with unpackedSize() must hold for what an unpack that worked wrote.
    FUZZ_CHECK(status != 0 || ZipExtractor::unpackedSize(zip) >= written);
    ZipExtractor::isWhole(zip);
    return 0;
}
