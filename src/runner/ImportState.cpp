#include "runner/ImportState.h"

#include <QFile>

#include <string>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The Godot 3 watch runs this every two seconds on trees of thousands of files,
// so it works relative to open folders (no path is looked up twice) and reads
// each sidecar with as few calls as it can.
namespace {

// Sidecars are small: one read usually holds all of one, and a short read of a
// regular file means its end.
bool readSidecar(int folder, const char* name, std::string& text) {
    const int fd = ::openat(folder, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    constexpr size_t chunk = 16 * 1024;
    text.clear();
    ssize_t n = 0;
    do {
        const size_t used = text.size();
        text.resize(used + chunk);
        n = ::read(fd, text.data() + used, chunk);
        text.resize(used + static_cast<size_t>(n > 0 ? n : 0));
    } while (n == static_cast<ssize_t>(chunk));
    ::close(fd);
    return n >= 0;
}

// The list begins at the first "dest_files=[" and ends at the next "]", or at
// the end of the file; its quoted strings are the pieces between double quotes.
void countSidecar(std::string_view text, int project, ImportState& state) {
    constexpr std::string_view listStart = "dest_files=[";
    constexpr std::string_view resource = "res://";
    const size_t begin = text.find(listStart);
    if (begin == std::string_view::npos)
        return;
    std::string_view list = text.substr(begin + listStart.size());
    list = list.substr(0, list.find(']'));

    bool namesDestination = false;
    size_t pieceStart = 0;
    for (int index = 0;; ++index) {
        const size_t quote = list.find('"', pieceStart);
        const std::string_view piece =
            list.substr(pieceStart, quote == std::string_view::npos ? quote : quote - pieceStart);
        if (index % 2 == 1 && piece.starts_with(resource)) {
            namesDestination = true;
            const std::string relative(piece.substr(resource.size()));
            struct stat info;
            if (::fstatat(project, relative.c_str(), &info, 0) != 0)
                ++state.missing;
        }
        if (quote == std::string_view::npos)
            break;
        pieceStart = quote + 1;
    }
    if (namesDestination)
        ++state.total;
}

bool isSidecarName(std::string_view name) {
    constexpr std::string_view extension = ".import";
    return name.size() > extension.size() && name.ends_with(extension);
}

// The entry's type without following a link; DT_UNKNOWN for anything else.
unsigned char typeOf(int folder, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN)
        return entry.d_type;
    struct stat info;
    if (::fstatat(folder, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return DT_UNKNOWN;
    return S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
}

// Takes ownership of `folderFd`. Hidden entries (and so "." and "..") are skipped,
// and links are never followed: O_NOFOLLOW refuses them and their type is DT_LNK.
void scanFolder(int folderFd, int project, std::string& text, ImportState& state) {
    DIR* folder = ::fdopendir(folderFd);
    if (!folder) {
        ::close(folderFd);
        return;
    }
    const int fd = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        const unsigned char type = typeOf(fd, *entry);
        if (type == DT_DIR) {
            const int child =
                ::openat(fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                scanFolder(child, project, text, state);
        } else if (type == DT_REG && isSidecarName(entry->d_name) &&
                   readSidecar(fd, entry->d_name, text)) {
            countSidecar(text, project, state);
        }
    }
    ::closedir(folder);
}

} // namespace

ImportState readImportState(const QString& project) {
    ImportState state;
    const QByteArray path = QFile::encodeName(project);
    const int root = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (root < 0)
        return state;
    std::string text;
    scanFolder(::dup(root), root, text, state);
    ::close(root);
    return state;
}
