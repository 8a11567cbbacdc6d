#include "support/FolderManifest.h"

#include "support/Problem.h"
#include "support/Sha512Hasher.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSaveFile>

namespace FolderManifest {
namespace {

const QString fileName = QStringLiteral(".manifest");

// "size digest path" for one file.
QString lineFor(const QDir& folder, const QFileInfo& file) {
    return QStringLiteral("%1 %2 %3")
        .arg(file.size())
        .arg(fileSha512(file.filePath()), folder.relativeFilePath(file.filePath()));
}

} // namespace

void write(const QString& folder, const Skip& skip) {
    const QDir dir(folder);
    QStringList lines;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        const QString path = dir.relativeFilePath(file.filePath());
        if (path != fileName && !(skip && skip(path)))
            lines << lineFor(dir, file);
    }
    QSaveFile manifest(dir.filePath(fileName));
    if (!manifest.open(QIODevice::WriteOnly) ||
        manifest.write(lines.join(QLatin1Char('\n')).toUtf8()) < 0 || !manifest.commit())
        throw Problem(Problem::Kind::FileSystem,
                      QStringLiteral("Could not write %1 (%2).")
                          .arg(manifest.fileName(), manifest.errorString()));
}

QStringList damaged(const QString& folder) {
    const QDir dir(folder);
    QFile manifest(dir.filePath(fileName));
    QStringList found;
    if (!manifest.open(QIODevice::ReadOnly))
        return found;
    for (const QString& line :
         QString::fromUtf8(manifest.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QString path = line.section(QLatin1Char(' '), 2);
        const QFileInfo file(dir.filePath(path));
        try {
            // The size first: a program cut short needs no hashing to be told.
            if (!file.isFile() ||
                QString::number(file.size()) != line.section(QLatin1Char(' '), 0, 0) ||
                lineFor(dir, file) != line)
                found << path;
        } catch (const Problem&) {
            found << path; // unreadable
        }
    }
    return found;
}

} // namespace FolderManifest
