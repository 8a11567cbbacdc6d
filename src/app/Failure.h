#pragma once

#include <QString>
#include <QStringList>

// What cures a failure: the window's button, the command line's advice. The window says where
// Update is instead of offering a button for it.
enum class FailureAction { None, CompatibilityGraphics, SetUpAgain, Reinstall, Update, Repair };

// Why the last game run ended too early, with the game's last lines and the cure, if any.
struct Failure {
    QString headline;
    QStringList lines;
    FailureAction action = FailureAction::None;
    QString commandLineHeadline = {}; // the cure left to the command that does it

    friend bool operator==(const Failure&, const Failure&) = default;
};
