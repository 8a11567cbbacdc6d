#include "ui/LogView.h"

#include "support/LogStore.h"
#include "ui/OutputArea.h"
#include "ui/TextStyle.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

LogView::LogView(LogStore& log, QWidget* parent)
    : RoundedBox(Look::translucent(Qt::gray, 0.12f), 6, parent), log_(log),
      area_(makeOutputArea(areaHeight, this)) {
    setObjectName(QStringLiteral("logView"));
    area_->setObjectName(QStringLiteral("logText"));
    area_->setAccessibleName(QStringLiteral("Log"));
    area_->setMaximumBlockCount(shownLines);
    content()->addWidget(area_);

    batchTimer_.setSingleShot(true);
    batchTimer_.setInterval(batchDelayMs);
    connect(&batchTimer_, &QTimer::timeout, this, &LogView::flush);
    connect(&log_, &LogStore::appended, this, [this] {
        ++pending_;
        schedule();
    });
    connect(&log_, &LogStore::cleared, this, [this] {
        pending_ = 0;
        rebuild_ = true;
        schedule();
    });
    // Whether to follow new lines is decided by where the user left the view:
    // at the end it follows, anywhere above it stays put.
    QScrollBar* bar = area_->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, [this, bar](int value) {
        if (!updating_)
            followEnd_ = value >= bar->maximum();
    });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar] {
        if (followEnd_ && !updating_)
            bar->setValue(bar->maximum());
    });
    flush();
}

void LogView::schedule() {
    if (!batchTimer_.isActive())
        batchTimer_.start();
}

void LogView::flush() {
    batchTimer_.stop();
    updating_ = true;
    if (rebuild_ || pending_ >= shownLines) {
        area_->setPlainText(log_.tail(shownLines).join(QLatin1Char('\n')));
        showsLines_ = log_.size() > 0;
    } else if (pending_ > 0) {
        QTextCursor cursor(area_->document());
        cursor.movePosition(QTextCursor::End);
        const QString lines = log_.tail(pending_).join(QLatin1Char('\n'));
        cursor.insertText(showsLines_ ? QLatin1Char('\n') + lines : lines);
        showsLines_ = true;
    }
    pending_ = 0;
    rebuild_ = false;
    updating_ = false;
    if (followEnd_)
        area_->verticalScrollBar()->setValue(area_->verticalScrollBar()->maximum());
}
