#pragma once

#include "app/UserPrompts.h"

#include <QDBusConnection>
#include <QUrl>

#include <functional>
#include <optional>

// Shows a folder selected in the desktop's file manager (the freedesktop
// FileManager1 service on the session bus); where no file manager answers,
// the folder is opened with the desktop's default handler instead.
class FileManagerRevealer : public FolderRevealer {
public:
    using Opener = std::function<void(const QUrl&)>;

    // Without `bus`, the session bus is looked up at the first reveal, not at start-up.
    explicit FileManagerRevealer(Opener fallback = {},
                                 std::optional<QDBusConnection> bus = std::nullopt);
    void reveal(const QString& folder) override;

private:
    Opener fallback_;
    std::optional<QDBusConnection> bus_;
};
