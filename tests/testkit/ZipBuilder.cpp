#include "testkit/ZipBuilder.h"

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

#include <memory>

namespace ziptest {
namespace {

la_ssize_t appendBytes(archive*, void* client, const void* buffer, size_t length) {
    static_cast<QByteArray*>(client)->append(static_cast<const char*>(buffer),
                                             static_cast<qsizetype>(length));
    return static_cast<la_ssize_t>(length);
}

unsigned fileType(Entry::Kind kind) {
    switch (kind) {
    case Entry::Kind::Folder:
        return AE_IFDIR;
    case Entry::Kind::Link:
        return AE_IFLNK;
    case Entry::Kind::File:
        break;
    }
    return AE_IFREG;
}

} // namespace

QByteArray zip(const QList<Entry>& entries, Compression compression) {
    QByteArray bytes;
    std::unique_ptr<archive, decltype(&archive_write_free)> a(archive_write_new(),
                                                              archive_write_free);
    archive_write_set_format_zip(a.get());
    if (compression == Compression::Store)
        archive_write_set_format_option(a.get(), "zip", "compression", "store");
    archive_write_set_bytes_in_last_block(a.get(), 1);
    EXPECT_EQ(archive_write_open(a.get(), &bytes, nullptr, appendBytes, nullptr), ARCHIVE_OK);
    for (const Entry& e : entries) {
        std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(archive_entry_new(),
                                                                            archive_entry_free);
        archive_entry_set_pathname_utf8(entry.get(), e.name.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), fileType(e.kind));
        archive_entry_set_perm(entry.get(), static_cast<mode_t>(e.mode));
        archive_entry_set_mtime(entry.get(), 1700000000, 0);
        if (e.kind == Entry::Kind::Link)
            archive_entry_set_symlink_utf8(entry.get(), e.data.constData());
        if (e.kind == Entry::Kind::File)
            archive_entry_set_size(entry.get(), e.data.size());
        EXPECT_EQ(archive_write_header(a.get(), entry.get()), ARCHIVE_OK)
            << archive_error_string(a.get());
        if (e.kind == Entry::Kind::File && !e.data.isEmpty()) {
            EXPECT_EQ(
                archive_write_data(a.get(), e.data.constData(), static_cast<size_t>(e.data.size())),
                e.data.size());
        }
    }
    EXPECT_EQ(archive_write_close(a.get()), ARCHIVE_OK);
    return bytes;
}

} // namespace ziptest
