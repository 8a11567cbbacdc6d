#include "support/ZipExtractor.h"

#include "support/Problem.h"
#include "support/TreeWriter.h"

#include <QFile>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <optional>

namespace ZipExtractor {
namespace {

constexpr size_t readBlockSize = 1024 * 1024;

using ReadArchive = std::unique_ptr<archive, decltype(&archive_read_free)>;

QString errorText(archive* a) {
    const char* text = archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown archive error");
}

[[noreturn]] void fail(const QString& why) {
    throw Problem(Problem::Kind::BadArchive, why);
}

[[noreturn]] void refuse(const QString& name, const QString& reason) {
    fail(name + QStringLiteral(": refused, ") + reason);
}

QString decoded(const char* utf8, const char* raw) {
    if (utf8)
        return QString::fromUtf8(utf8);
    return raw ? QFile::decodeName(raw) : QString();
}

// The entry's place below the target as plain names; nothing when the name is absolute or
// climbs with "..".
std::optional<QStringList> insidePath(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return std::nullopt;
    QStringList parts;
    for (const QString& part : name.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return std::nullopt;
        if (part != QLatin1String("."))
            parts.append(part);
    }
    return parts;
}

// A link target stays inside when it is relative and climbs ("..") only at its start, no higher
// than the link's own folder. Climbing after a name is refused: that name may itself be a link.
bool linkStaysInside(qsizetype linkDepth, const QString& target) {
    if (target.isEmpty() || target.startsWith(QLatin1Char('/')))
        return false;
    bool atStart = true;
    for (const QString& part : target.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part != QLatin1String("..")) {
            atStart = false;
            continue;
        }
        if (!atStart || --linkDepth < 0)
            return false;
    }
    return true;
}

std::optional<timespec> modified(archive_entry* entry) {
    if (!archive_entry_mtime_is_set(entry))
        return std::nullopt;
    return timespec{archive_entry_mtime(entry), archive_entry_mtime_nsec(entry)};
}

std::optional<TreeWriter::Block> nextBlock(archive* in) {
    TreeWriter::Block block{};
    la_int64_t offset = 0;
    const int status = archive_read_data_block(in, &block.data, &block.size, &offset);
    if (status == ARCHIVE_EOF)
        return std::nullopt;
    // Even a warning here means a bad checksum: the file is damaged.
    if (status != ARCHIVE_OK)
        fail(errorText(in));
    block.offset = offset;
    return block;
}

void writeEntry(archive* in, archive_entry* entry, TreeWriter& tree) {
    const QString name = decoded(archive_entry_pathname_utf8(entry), archive_entry_pathname(entry));
    const std::optional<QStringList> path = insidePath(name);
    if (!path)
        refuse(name, QStringLiteral("its path leads outside the destination folder"));
    if (archive_entry_hardlink(entry) || archive_entry_hardlink_utf8(entry))
        refuse(name, QStringLiteral("hard links are not unpacked"));
    if (path->isEmpty())
        return; // the destination folder itself

    // The owner can always list, change and delete what was unpacked.
    const int mode = static_cast<int>(archive_entry_perm(entry));
    switch (archive_entry_filetype(entry)) {
    case AE_IFDIR:
        tree.makeFolder(*path, mode | 0700);
        return;
    case AE_IFREG:
        tree.writeFile(*path, mode | 0600, modified(entry), [in] { return nextBlock(in); });
        return;
    case AE_IFLNK: {
        const QString target =
            decoded(archive_entry_symlink_utf8(entry), archive_entry_symlink(entry));
        if (!linkStaysInside(path->size() - 1, target))
            refuse(name, QStringLiteral("it links outside the destination folder"));
        tree.makeLink(*path, QFile::encodeName(target));
        return;
    }
    default:
        refuse(name, QStringLiteral("only files, folders and links are unpacked"));
    }
}

// Calls `visit` for every entry of the archive. Only the reader that starts from the central
// directory: a zip cut short has none and fails, where a streaming reader could stop cleanly at
// an entry boundary. Throws a BadArchive problem on a damaged archive.
void forEachEntry(const QString& archivePath, const LineHandler& onLine,
                  const std::function<void(archive*, archive_entry*)>& visit) {
    ReadArchive in(archive_read_new(), archive_read_free);
    archive_read_support_format_zip_seekable(in.get());
    if (archive_read_open_filename(in.get(), QFile::encodeName(archivePath).constData(),
                                   readBlockSize) != ARCHIVE_OK)
        fail(errorText(in.get()));

    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(in.get(), &entry);
        if (status == ARCHIVE_EOF)
            return;
        if (status < ARCHIVE_WARN)
            fail(errorText(in.get()));
        if (status == ARCHIVE_WARN)
            onLine(errorText(in.get()));
        visit(in.get(), entry);
    }
}

} // namespace

int extract(const QString& archivePath, const QString& target, const LineHandler& onLine) {
    try {
        TreeWriter tree(target);
        forEachEntry(archivePath, onLine,
                     [&tree](archive* in, archive_entry* entry) { writeEntry(in, entry, tree); });
        return 0;
    } catch (const Problem& problem) {
        if (problem.kind() == Problem::Kind::DiskFull)
            throw;
        onLine(problem.sentence());
        return 1;
    }
}

bool isWhole(const QString& archivePath) {
    try {
        forEachEntry(
            archivePath, [](const QString& warning) { fail(warning); },
            [](archive* in, archive_entry*) {
                while (nextBlock(in)) {
                }
            });
        return true;
    } catch (const Problem&) {
        return false;
    }
}

qint64 unpackedSize(const QString& archivePath) {
    qint64 total = 0;
    try {
        forEachEntry(
            archivePath, [](const QString&) {},
            [&total](archive*, archive_entry* entry) {
                total += std::max<la_int64_t>(0, archive_entry_size(entry));
            });
    } catch (const Problem&) {
        return -1;
    }
    return total;
}

QByteArray comment(const QString& archivePath) {
    // The end record: its signature, 16 bytes of counts and offsets, the comment's length, the
    // comment; it is the last thing in the file. libarchive does not hand the comment on.
    constexpr qsizetype recordSize = 22, longestComment = 0xFFFF;
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly) ||
        !file.seek(std::max<qint64>(0, file.size() - recordSize - longestComment)))
        return {};
    const QByteArray tail = file.readAll();
    for (qsizetype at = tail.lastIndexOf("PK\x05\x06"); at >= 0;
         at = at > 0 ? tail.lastIndexOf("PK\x05\x06", at - 1) : -1) {
        if (at + recordSize > tail.size())
            continue;
        const qsizetype length = quint8(tail[at + 20]) | quint8(tail[at + 21]) << 8;
        if (at + recordSize + length == tail.size())
            return tail.mid(at + recordSize, length);
    }
    return {};
}

} // namespace ZipExtractor
