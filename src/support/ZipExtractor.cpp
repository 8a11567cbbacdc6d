#include "support/ZipExtractor.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <optional>

namespace ZipExtractor {
namespace {

constexpr size_t readBlockSize = 1024 * 1024;

// Entries are written by absolute path below the target's real path (never by changing the
// process's working folder, which other threads share), so absolute names in the archive are
// refused by our own check rather than by ARCHIVE_EXTRACT_SECURE_NOABSOLUTEPATHS. Without
// ARCHIVE_EXTRACT_PERM the umask applies and set-id bits are cleared; execute bits stay.
constexpr int diskFlags =
    ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_SECURE_NODOTDOT | ARCHIVE_EXTRACT_SECURE_SYMLINKS;

using ReadArchive = std::unique_ptr<archive, decltype(&archive_read_free)>;
using WriteArchive = std::unique_ptr<archive, decltype(&archive_write_free)>;

struct Failure {
    QString text;
};

QString errorText(archive* a) {
    const char* text = archive_error_string(a);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown archive error");
}

[[noreturn]] void refuse(const QString& name, const QString& reason) {
    throw Failure{name + QStringLiteral(": refused, ") + reason};
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

// Checks an entry and points it at its absolute place below `root`. Returns false for an entry
// that names the root itself (nothing to write).
bool placeEntry(archive_entry* entry, const QString& root) {
    const QString name = decoded(archive_entry_pathname_utf8(entry), archive_entry_pathname(entry));
    const std::optional<QStringList> parts = insidePath(name);
    if (!parts)
        refuse(name, QStringLiteral("its path leads outside the destination folder"));
    if (archive_entry_hardlink(entry) || archive_entry_hardlink_utf8(entry))
        refuse(name, QStringLiteral("hard links are not unpacked"));

    switch (archive_entry_filetype(entry)) {
    case AE_IFLNK: {
        const QString target =
            decoded(archive_entry_symlink_utf8(entry), archive_entry_symlink(entry));
        if (!linkStaysInside(parts->size() - 1, target))
            refuse(name, QStringLiteral("it links outside the destination folder"));
        archive_entry_copy_symlink(entry, QFile::encodeName(target).constData());
        break;
    }
    // The owner can always write and list what was unpacked, so it can be deleted again.
    case AE_IFDIR:
        archive_entry_set_perm(entry, archive_entry_perm(entry) | 0700);
        break;
    case AE_IFREG:
        archive_entry_set_perm(entry, archive_entry_perm(entry) | 0600);
        break;
    default:
        refuse(name, QStringLiteral("only files, folders and links are unpacked"));
    }
    if (parts->isEmpty())
        return false;
    const QString path = root + QLatin1Char('/') + parts->join(QLatin1Char('/'));
    archive_entry_copy_pathname(entry, QFile::encodeName(path).constData());
    return true;
}

// Treats warnings as notes for the log and anything worse as the end of the unpack.
void check(int status, archive* a, const LineHandler& onLine) {
    if (status < ARCHIVE_WARN)
        throw Failure{errorText(a)};
    if (status == ARCHIVE_WARN)
        onLine(errorText(a));
}

void copyData(archive* in, archive* out) {
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    for (;;) {
        const int status = archive_read_data_block(in, &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            return;
        // A warning while reading data is a bad checksum: the file is damaged.
        if (status != ARCHIVE_OK)
            throw Failure{errorText(in)};
        if (archive_write_data_block(out, block, size, offset) != ARCHIVE_OK)
            throw Failure{errorText(out)};
    }
}

void unpack(const QString& archivePath, const QString& target, const LineHandler& onLine) {
    // The real path: the link guard refuses to write through any link on the way, the target's
    // own ancestors included.
    const QString root = QFileInfo(target).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        throw Failure{target + QStringLiteral(": no such folder")};

    ReadArchive in(archive_read_new(), archive_read_free);
    // Only the reader that starts from the central directory: a zip cut short has none and
    // fails, where a streaming reader could stop cleanly at an entry boundary.
    archive_read_support_format_zip_seekable(in.get());
    if (archive_read_open_filename(in.get(), QFile::encodeName(archivePath).constData(),
                                   readBlockSize) != ARCHIVE_OK)
        throw Failure{errorText(in.get())};

    WriteArchive out(archive_write_disk_new(), archive_write_free);
    archive_write_disk_set_options(out.get(), diskFlags);

    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(in.get(), &entry);
        if (status == ARCHIVE_EOF)
            break;
        check(status, in.get(), onLine);
        if (!placeEntry(entry, root))
            continue;
        check(archive_write_header(out.get(), entry), out.get(), onLine);
        copyData(in.get(), out.get());
        check(archive_write_finish_entry(out.get()), out.get(), onLine);
    }
    // Closing applies the folders' own modes and times, deferred until their files are in.
    check(archive_write_close(out.get()), out.get(), onLine);
}

} // namespace

int extract(const QString& archive, const QString& target, const LineHandler& onLine) {
    try {
        unpack(archive, target, onLine);
        return 0;
    } catch (const Failure& failure) {
        onLine(failure.text);
        return 1;
    }
}

} // namespace ZipExtractor
