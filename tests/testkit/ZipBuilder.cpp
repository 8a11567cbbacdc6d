#include "testkit/ZipBuilder.h"

#include <archive.h>
#include <archive_entry.h>

#include <gtest/gtest.h>

#include <memory>

QByteArray ziptest::zip(const QList<Entry>& entries, Compression compression) {
    QByteArray bytes;
    const std::unique_ptr<archive, decltype(&archive_write_free)> a(archive_write_new(),
                                                                    archive_write_free);
    archive_write_set_format_zip(a.get());
    if (compression == Compression::Store)
        archive_write_set_format_option(a.get(), "zip", "compression", "store");
    archive_write_set_bytes_in_last_block(a.get(), 1);
    const auto append = [](archive*, void* out, const void* data, size_t size) -> la_ssize_t {
        static_cast<QByteArray*>(out)->append(static_cast<const char*>(data), qsizetype(size));
        return la_ssize_t(size);
    };
    EXPECT_EQ(archive_write_open(a.get(), &bytes, nullptr, append, nullptr), ARCHIVE_OK);
    for (const Entry& e : entries) {
        const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(
            archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname_utf8(entry.get(), e.name.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), e.type);
        archive_entry_set_perm(entry.get(), static_cast<mode_t>(e.mode));
        archive_entry_set_mtime(entry.get(), 1700000000, 0);
        if (e.type == AE_IFLNK)
            archive_entry_set_symlink_utf8(entry.get(), e.data.constData());
        if (e.type == AE_IFREG)
            archive_entry_set_size(entry.get(), e.data.size());
        EXPECT_EQ(archive_write_header(a.get(), entry.get()), ARCHIVE_OK);
        if (e.type == AE_IFREG)
            archive_write_data(a.get(), e.data.constData(), size_t(e.data.size()));
    }
    EXPECT_EQ(archive_write_close(a.get()), ARCHIVE_OK);
    return bytes;
}
