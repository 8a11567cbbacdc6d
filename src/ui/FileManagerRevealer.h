#pragma once

#include "app/UserPrompts.h"

#include <QUrl>

#include <functional>

// Shows a folder selected in the desktop's file manager (the freedesktop
// FileManager1 service on the session bus); where no file manager answers,
// the folder is opened with the desktop's default handler instead.
class FileManagerRevealer : public FolderRevealer {
public:
    using Opener = std::function<void(const QUrl&)>;

    explicit FileManagerRevealer(Opener fallback = {});
    void reveal(const QString& folder) override;

private:
    Opener fallback_;
};
