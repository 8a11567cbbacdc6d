#pragma once

#include "app/Failure.h"
#include "ui/RoundedBox.h"

// Why the last attempt failed, with the game's last lines, buttons that copy them or save the
// launch's whole log, and the failure's cure when it has one.
class FailureView : public RoundedBox {
    Q_OBJECT
public:
    static constexpr int linesHeight = 140;

    explicit FailureView(Failure failure, QWidget* parent = nullptr);

    // The headline and the lines, one per line, as the Copy button puts them on the clipboard.
    static QString copyText(const Failure& failure);
    // The cure's button title; empty when the failure has none.
    static QString actionTitle(FailureAction action);

signals:
    void actionChosen(FailureAction action);

private:
    void saveLog();

    Failure failure_;
};
