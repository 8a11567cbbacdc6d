#include "support/TreeWriter.h"

#include "support/Problem.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

[[noreturn]] void fail(const QStringList& path, int error) {
    const QString sentence = path.join(QLatin1Char('/')) + QStringLiteral(": ") +
                             QString::fromLocal8Bit(std::strerror(error));
    if (error == ENOSPC || error == EDQUOT)
        throw Problem(Problem::Kind::DiskFull, sentence);
    throw Problem(Problem::Kind::FileSystem, sentence);
}

bool isFolder(int parent, const char* name) {
    struct stat info {};
    return ::fstatat(parent, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

mode_t plainMode(int mode) {
    return static_cast<mode_t>(mode & 0777);
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }
    int close() { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

} // namespace

TreeWriter::TreeWriter(const QString& root) {
    root_ = ::open(QFile::encodeName(root).constData(), folderFlags & ~O_NOFOLLOW);
    if (root_ < 0)
        fail({root}, errno);
}

TreeWriter::~TreeWriter() {
    for (const int fd : open_)
        ::close(fd);
    ::close(root_);
}

// The handle of the folder that holds `path`. Folders are opened (and created) one by one from
// the deepest one still open that `path` shares; O_NOFOLLOW turns a link on the way into an
// error instead of a detour.
int TreeWriter::parentFolder(const QStringList& path) {
    const qsizetype depth = path.size() - 1;
    qsizetype shared = 0;
    while (shared < depth && shared < openNames_.size() && openNames_[shared] == path[shared])
        ++shared;
    while (openNames_.size() > shared) {
        ::close(open_.back());
        open_.pop_back();
        openNames_.removeLast();
    }
    for (qsizetype i = shared; i < depth; ++i) {
        const int folder = open_.empty() ? root_ : open_.back();
        const QByteArray name = QFile::encodeName(path[i]);
        int next = ::openat(folder, name.constData(), folderFlags);
        if (next < 0 && errno == ENOENT &&
            (::mkdirat(folder, name.constData(), 0777) == 0 || errno == EEXIST))
            next = ::openat(folder, name.constData(), folderFlags);
        if (next < 0 && (errno == ELOOP || errno == ENOTDIR))
            throw Problem(Problem::Kind::FileSystem,
                          path.mid(0, i + 1).join(QLatin1Char('/')) +
                              QStringLiteral(": refused, a link or file is in the way"));
        if (next < 0)
            fail(path.mid(0, i + 1), errno);
        open_.push_back(next);
        openNames_.append(path[i]);
    }
    return open_.empty() ? root_ : open_.back();
}

// Calls `create`, which fails with EEXIST when the name is taken; when a file or link holds the
// name, removes it and calls once more.
template <typename Create>
void TreeWriter::createReplacing(int folder, const QStringList& path, Create create) {
    const QByteArray name = QFile::encodeName(path.last());
    if (create(name.constData()))
        return;
    if (errno == EEXIST && !isFolder(folder, name.constData()) &&
        ::unlinkat(folder, name.constData(), 0) == 0 && create(name.constData()))
        return;
    fail(path, errno);
}

void TreeWriter::makeFolder(const QStringList& path, int mode) {
    const int folder = parentFolder(path);
    if (isFolder(folder, QFile::encodeName(path.last()).constData()))
        return;
    createReplacing(folder, path, [&](const char* name) {
        return ::mkdirat(folder, name, plainMode(mode)) == 0;
    });
}

void TreeWriter::makeLink(const QStringList& path, const QByteArray& target) {
    const int folder = parentFolder(path);
    createReplacing(folder, path, [&](const char* name) {
        return ::symlinkat(target.constData(), folder, name) == 0;
    });
}

void TreeWriter::writeFile(const QStringList& path, int mode, std::optional<timespec> modified,
                           const BlockSource& contents) {
    const int folder = parentFolder(path);
    int fd = -1;
    createReplacing(folder, path, [&](const char* name) {
        fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      plainMode(mode));
        return fd >= 0;
    });
    FileHandle file(fd);
    while (const std::optional<Block> block = contents()) {
        const char* data = static_cast<const char*>(block->data);
        size_t left = block->size;
        off_t offset = block->offset;
        while (left > 0) {
            const ssize_t written = ::pwrite(file.get(), data, left, offset);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                fail(path, written < 0 ? errno : EIO);
            data += written;
            offset += written;
            left -= static_cast<size_t>(written);
        }
    }
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified};
        ::futimens(file.get(), times);
    }
    if (file.close() != 0)
        fail(path, errno);
}
