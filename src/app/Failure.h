#pragma once

#include <QString>
#include <QStringList>

// What cures a failure, when one press can: the window's button, the command line's advice.
enum class FailureAction { None, CompatibilityGraphics, SetUpAgain, Reinstall };

// Why the last game run ended too early, with the game's last lines and the cure, if any.
struct Failure {
    QString headline;
    QStringList lines;
    FailureAction action = FailureAction::None;

    friend bool operator==(const Failure&, const Failure&) = default;
};
