#include "app/RunLogFile.h"

#include "support/LogStore.h"
#include "support/Paths.h"

#include <QDir>
#include <QFileInfo>

RunLogFile::RunLogFile(LogStore& log, QObject* parent) : QObject(parent), log_(log) {
    flushSoon_.setSingleShot(true);
    flushSoon_.setInterval(1000);
    connect(&flushSoon_, &QTimer::timeout, this, [this] { file_.flush(); });
}

void RunLogFile::begin() {
    end();
    const QString path = Paths::lastRunLog();
    QDir().mkpath(QFileInfo(path).absolutePath());
    file_.setFileName(path);
    // Without the file the launch goes on; only the copy for handing on is missing.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    full_ = false;
    lines_ = connect(&log_, &LogStore::appended, this, &RunLogFile::write);
}

void RunLogFile::end() {
    disconnect(lines_);
    flushSoon_.stop();
    file_.close();
}

void RunLogFile::write(const QString& line) {
    if (full_)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    if (file_.pos() + bytes.size() > maxBytes) {
        file_.write("(The log went on; the rest is not kept.)\n");
        full_ = true;
    } else {
        file_.write(bytes);
    }
    if (!flushSoon_.isActive())
        flushSoon_.start();
}
