#pragma once

#include <QFile>
#include <QObject>
#include <QTimer>

class LogStore;

// Keeps every line of one launch's log in Paths::lastRunLog(), so that the whole of it can be
// handed on after the window's log has let old lines go. begin() starts the file afresh; lines
// reach the disk within a second, and all of them by end(). Bounded, so a chatty game cannot
// fill the disk. GUI thread.
class RunLogFile : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 maxBytes = 64LL * 1024 * 1024;

    explicit RunLogFile(LogStore& log, QObject* parent = nullptr);

    void begin();
    void end();

private:
    void write(const QString& line);

    LogStore& log_;
    QFile file_;
    QTimer flushSoon_;
    QMetaObject::Connection lines_;
    bool full_ = false;
};
