#pragma once

#include "ui/RoundedBox.h"

#include <QTimer>

class LogStore;
class QPlainTextEdit;

// The last lines of the activity log. Lines that arrive quickly are shown in
// batches, and the view follows new lines only while it is scrolled to the end.
class LogView : public RoundedBox {
    Q_OBJECT
public:
    static constexpr int shownLines = 400;
    static constexpr int areaHeight = 180;
    static constexpr int batchDelayMs = 50;

    explicit LogView(LogStore& log, QWidget* parent = nullptr);

    // Shows what has arrived so far now rather than with the next batch.
    void flush();

private:
    void schedule();

    LogStore& log_;
    QPlainTextEdit* area_;
    QTimer batchTimer_;
    int pending_ = 0;     // lines appended since the last flush
    bool rebuild_ = true; // the log was cleared: show it afresh
    bool showsLines_ = false;
    bool followEnd_ = true; // the user has not scrolled up
    bool updating_ = false; // scroll changes come from new text, not from the user
};
