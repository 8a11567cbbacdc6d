#pragma once

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

// A small file system of its own (tmpfs) mounted on `folder` for as long as the object lives, to
// see a full or noexec disk for real. Needs root, as the CI runs; `mounted()` says if it worked.
class SmallDisk {
public:
    SmallDisk(const QString& folder, const QString& options) : folder_(folder) {
        QDir().mkpath(folder);
        mounted_ = QProcess::execute("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder}) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            QProcess::execute("umount", {"-l", folder_});
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }

private:
    QString folder_;
    bool mounted_ = false;
};

// A small disk on `folder` for the rest of the test, which is skipped where mounting needs root.
#define MOUNT_SMALL_DISK_OR_SKIP(folder, options)                                                  \
    const SmallDisk smallDisk(folder, options);                                                    \
    if (!smallDisk.mounted())                                                                      \
    GTEST_SKIP() << "needs root to mount a small disk (the CI runs as root)"
