#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <deque>

// The last `limit` lines an engine printed, oldest first: what explains how it ended.
class LastLines {
public:
    explicit LastLines(std::size_t limit) : limit_(limit) {}

    void add(const QString& line) {
        lines_.push_back(line);
        if (lines_.size() > limit_)
            lines_.pop_front();
    }
    QStringList list() const { return {lines_.begin(), lines_.end()}; }

private:
    std::size_t limit_;
    std::deque<QString> lines_;
};
