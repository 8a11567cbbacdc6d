#pragma once

#include "app/Failure.h"
#include "ui/RoundedBox.h"

// Why the last attempt failed, with its log lines and a button that copies both.
class FailureView : public RoundedBox {
    Q_OBJECT
public:
    static constexpr int linesHeight = 140;

    explicit FailureView(Failure failure, QWidget* parent = nullptr);

    // The headline and the lines, one per line, as the Copy button puts them on the clipboard.
    static QString copyText(const Failure& failure);

private:
    Failure failure_;
};
