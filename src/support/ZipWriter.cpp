#include "support/ZipWriter.h"

#include "support/Problem.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
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

Problem readProblem(const QString& path, const QString& why) {
    return Problem(Problem::Kind::FileSystem,
                   QStringLiteral("Could not read %1: %2").arg(path, why));
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

    // The entry takes its type, mode, size and time from the file's own status.
    void add(const QString& path, const QString& name) {
        struct stat info {};
        if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
            throw readProblem(path, QString::fromLocal8Bit(std::strerror(errno)));
        if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
            return;
        const Entry entry(archive_entry_new(), &archive_entry_free);
        archive_entry_copy_stat(entry.get(), &info);
        archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
        if (archive_write_header(zip_.get(), entry.get()) < ARCHIVE_WARN)
            fail();
        if (S_ISREG(info.st_mode))
            copyContents(path);
    }

    void finish() {
        if (archive_write_close(zip_.get()) != ARCHIVE_OK)
            fail();
        // The backup must outlive a power cut that comes right after the change it guards.
        if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0)
            throw writeProblem(path_, errno, QString::fromLocal8Bit(std::strerror(errno)));
    }

private:
    void copyContents(const QString& file) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            throw readProblem(file, in.errorString());
        while (!in.atEnd()) {
            const QByteArray block = in.read(blockSize);
            if (block.isEmpty() && in.error() != QFileDevice::NoError)
                throw readProblem(file, in.errorString());
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
            const QString path = it.next();
            writer.add(path, root.relativeFilePath(path));
        }
        writer.finish();
    } catch (const Problem&) {
        QFile::remove(archive);
        throw;
    }
}

} // namespace ZipWriter
