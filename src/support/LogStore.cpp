#include "support/LogStore.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include <algorithm>

LogStore::LogStore(QObject* parent) : QObject(parent) {}

template <typename Fn> void LogStore::onOwnThread(Fn&& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    // Queued calls from one thread run in the order they were made; a store
    // that is gone by then drops them.
    QPointer<LogStore> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, fn = std::forward<Fn>(fn)]() mutable {
            if (self)
                fn();
        },
        Qt::QueuedConnection);
}

void LogStore::append(const QString& text) {
    onOwnThread([this, text] { applyAppend(text); });
}

void LogStore::clear() {
    onOwnThread([this] { applyClear(); });
}

void LogStore::applyAppend(const QString& text) {
    lines_.push_back(text);
    emit appended(text);
    const int excess = size() - maxLines;
    if (excess > 0) {
        lines_.erase(lines_.begin(), lines_.begin() + excess);
        emit trimmed(excess);
    }
}

void LogStore::applyClear() {
    lines_.clear();
    emit cleared();
}

QStringList LogStore::tail(int count) const {
    const int n = std::clamp(count, 0, size());
    QStringList out;
    out.reserve(n);
    for (auto it = lines_.end() - n; it != lines_.end(); ++it)
        out.append(*it);
    return out;
}
