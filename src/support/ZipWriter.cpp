#include "support/ZipWriter.h"

#include "support/Problem.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace ZipWriter {
namespace {

constexpr qint64 blockSize = 1024 * 1024;

using WriteArchive = std::unique_ptr<archive, decltype(&archive_write_free)>;
using Entry = std::unique_ptr<archive_entry, decltype(&archive_entry_free)>;

Problem writeProblem(const QString& path, int error, const QString& why) {
    const QString sentence = QStringLiteral("Could not write %1: %2").arg(path, why);
    return Problem(error == ENOSPC || error == EDQUOT ? Problem::Kind::DiskFull
                                                      : Problem::Kind::FileSystem,
                   sentence);
}

class Writer {
public:
    explicit Writer(const QString& path) : path_(path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                     0644);
        if (fd_ < 0)
            throw writeProblem(path, errno, QString::fromLocal8Bit(std::strerror(errno)));
        if (archive_write_set_format_zip(zip_.get()) != ARCHIVE_OK ||
            archive_write_open_fd(zip_.get(), fd_) != ARCHIVE_OK)
            fail();
    }
    ~Writer() {
        zip_.reset(); // its last writes go to the file before it is closed
        if (fd_ >= 0)
            ::close(fd_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    void add(const QFileInfo& info, const QString& name) {
        const Entry entry(archive_entry_new(), &archive_entry_free);
        archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
        archive_entry_set_filetype(entry.get(), info.isDir() ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry.get(), permissionBits(info));
        archive_entry_set_mtime(entry.get(), info.lastModified().toSecsSinceEpoch(), 0);
        if (info.isFile())
            archive_entry_set_size(entry.get(), info.size());
        if (archive_write_header(zip_.get(), entry.get()) < ARCHIVE_WARN)
            fail();
        if (info.isFile())
            copyContents(info.filePath());
    }

    void finish() {
        if (archive_write_close(zip_.get()) != ARCHIVE_OK)
            fail();
        // The backup must outlive a power cut that comes right after the change it guards.
        if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0)
            throw writeProblem(path_, errno, QString::fromLocal8Bit(std::strerror(errno)));
    }

private:
    static mode_t permissionBits(const QFileInfo& info) {
        const QFileDevice::Permissions p = info.permissions();
        mode_t mode = 0;
        const std::pair<QFileDevice::Permission, mode_t> bits[] = {
            {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200},
            {QFileDevice::ExeOwner, 0100},  {QFileDevice::ReadGroup, 040},
            {QFileDevice::WriteGroup, 020}, {QFileDevice::ExeGroup, 010},
            {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},
            {QFileDevice::ExeOther, 01}};
        for (const auto& [permission, bit] : bits)
            if (p & permission)
                mode |= bit;
        return mode;
    }

    void copyContents(const QString& file) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            throw Problem(Problem::Kind::FileSystem,
                          QStringLiteral("Could not read %1: %2").arg(file, in.errorString()));
        while (!in.atEnd()) {
            const QByteArray block = in.read(blockSize);
            if (block.isEmpty() && in.error() != QFileDevice::NoError)
                throw Problem(Problem::Kind::FileSystem,
                              QStringLiteral("Could not read %1: %2").arg(file, in.errorString()));
            if (archive_write_data(zip_.get(), block.constData(), size_t(block.size())) < 0)
                fail();
        }
    }

    [[noreturn]] void fail() {
        const char* text = archive_error_string(zip_.get());
        throw writeProblem(path_, archive_errno(zip_.get()),
                           text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error"));
    }

    QString path_;
    int fd_ = -1;
    WriteArchive zip_{archive_write_new(), &archive_write_free};
};

} // namespace

void writeFolder(const QString& folder, const QString& archive) {
    try {
        Writer writer(archive);
        const QDir root(folder);
        QDirIterator it(folder,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info = it.nextFileInfo();
            if (!info.isSymLink() && (info.isFile() || info.isDir()))
                writer.add(info, root.relativeFilePath(info.filePath()));
        }
        writer.finish();
    } catch (const Problem&) {
        QFile::remove(archive);
        throw;
    }
}

} // namespace ZipWriter
