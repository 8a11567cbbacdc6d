#include "runner/ImportState.h"

#include <QFile>

#include <filesystem>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool readWholeFile(const std::string& path, std::string& text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    text.clear();
    char chunk[8192];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(n));
    ::close(fd);
    return n == 0;
}

bool existsAt(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// The list begins at the first "dest_files=[" and ends at the next "]", or at
// the end of the file; its quoted strings are the pieces between double quotes.
void countSidecar(std::string_view text, const std::string& project, ImportState& state) {
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
            const std::string_view relative = piece.substr(resource.size());
            if (!existsAt(project + '/' + std::string(relative)))
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

} // namespace

ImportState readImportState(const QString& project) {
    ImportState state;
    const std::string root = QFile::encodeName(project).toStdString();
    std::string text;
    std::error_code error;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().native();
        if (name.starts_with('.')) {
            it.disable_recursion_pending();
            continue;
        }
        std::error_code typeError;
        if (entry.is_symlink(typeError) || !isSidecarName(name) ||
            !entry.is_regular_file(typeError))
            continue;
        if (readWholeFile(entry.path().native(), text))
            countSidecar(text, root, state);
    }
    return state;
}
