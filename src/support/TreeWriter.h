#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ctime>
#include <functional>
#include <optional>
#include <vector>

// Creates files, folders and links below one root folder through open folder handles, never
// following a link on the way: whatever the tree holds, or gains meanwhile, nothing can be
// written outside the root. The process-wide working folder and umask are left alone, so
// other threads are not disturbed; new files and folders get their mode minus the umask.
class TreeWriter {
public:
    // Throws a FileSystem problem when `root` is not a folder that can be opened.
    explicit TreeWriter(const QString& root);
    ~TreeWriter();
    TreeWriter(const TreeWriter&) = delete;
    TreeWriter& operator=(const TreeWriter&) = delete;

    struct Block {
        const void* data;
        size_t size;
        qint64 offset;
    };
    // The next piece of a file's contents; nothing at the end.
    using BlockSource = std::function<std::optional<Block>()>;

    // Every `path` is relative to the root and made of plain names (no empty, "." or ".."
    // parts). Missing parent folders are created. A file or link already at `path` is
    // replaced; a folder there is kept. Each throws a FileSystem problem, also when a parent on
    // the way is a link or a file.
    void makeFolder(const QStringList& path, int mode);
    void writeFile(const QStringList& path, int mode, std::optional<timespec> modified,
                   const BlockSource& contents);
    void makeLink(const QStringList& path, const QByteArray& target);

private:
    int parentFolder(const QStringList& path);
    template <typename Create>
    void createReplacing(int folder, const QStringList& path, Create create);

    int root_ = -1;
    // Handles of the folders from the root down to the last parent, reused by its neighbours.
    std::vector<int> open_;
    QStringList openNames_;
};
