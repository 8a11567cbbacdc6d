#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>

// The launcher's bounded activity log. Lives on the GUI thread; append() and
// clear() may be called from any thread and take effect there in call order.
class LogStore : public QObject {
    Q_OBJECT
public:
    static constexpr int maxLines = 3000;

    explicit LogStore(QObject* parent = nullptr);

    void append(const QString& text);
    void clear();

    // Readers run on the GUI thread, where the lines change.
    int size() const { return static_cast<int>(lines_.size()); }
    const QString& at(int index) const { return lines_[static_cast<size_t>(index)]; }
    QStringList lines() const { return tail(size()); }
    QStringList tail(int count) const;

signals:
    void appended(const QString& text);
    void trimmed(int removedFromFront);
    void cleared();

private:
    void applyAppend(const QString& text);
    void applyClear();
    template <typename Fn> void onOwnThread(Fn&& fn);

    std::deque<QString> lines_;
};
