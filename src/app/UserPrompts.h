#pragma once

#include <QString>

// A yes/no question put to the user: a dialog in the window, a prompt on a
// terminal, a scripted answer in tests.
struct Question {
    QString message;
    QString informativeText;
    QString acceptButton; // the first, default button
    QString rejectButton;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // True when the user chose the accept button.
    virtual bool confirm(const Question& question) = 0;
};

// Shows folders to the user (the desktop's file manager).
class FolderRevealer {
public:
    virtual ~FolderRevealer() = default;
    virtual void reveal(const QString& folder) = 0;
};
