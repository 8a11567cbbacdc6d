#include "support/LogStore.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <memory>
#include <thread>

#include <gtest/gtest.h>

namespace {
void drainEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}
} // namespace

TEST(LogStore, KeepsTheNewest3000InOrder) {
    LogStore log;
    QSignalSpy trims(&log, &LogStore::trimmed);
    for (int i = 1; i <= 3001; ++i)
        log.append(QString::number(i));
    ASSERT_EQ(log.size(), 3000);
    EXPECT_EQ(log.at(0), QStringLiteral("2"));
    EXPECT_EQ(log.at(2999), QStringLiteral("3001"));
    EXPECT_EQ(trims.count(), 1);
    log.append(QString());
    EXPECT_EQ(log.size(), 3000);
    EXPECT_EQ(log.at(0), QStringLiteral("3"));
    EXPECT_EQ(log.tail(2), (QStringList{QStringLiteral("3001"), QString()}));
}

TEST(LogStore, StoresTextsUnchanged) {
    LogStore log;
    log.append(QStringLiteral("  two\nlines  "));
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("  two\nlines  ")});
}

TEST(LogStore, BackgroundAppendsArriveLaterAndInOrder) {
    LogStore log;
    std::thread writer([&] {
        for (int i = 0; i < 500; ++i)
            log.append(QString::number(i));
        log.clear();
        log.append(QStringLiteral("after clear"));
    });
    writer.join();
    EXPECT_EQ(log.size(), 0) << "background appends wait for the GUI thread";
    drainEvents();
    EXPECT_EQ(log.lines(), QStringList{QStringLiteral("after clear")});
}

TEST(LogStore, ManyWritersNeverBreakTheBoundOrPerThreadOrder) {
    LogStore log;
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([&log, w] {
            for (int i = 0; i < 1000; ++i)
                log.append(QStringLiteral("%1:%2").arg(w).arg(i));
        });
    for (auto& t : writers)
        t.join();
    drainEvents();
    ASSERT_EQ(log.size(), 3000);
    std::vector<int> last(4, -1);
    for (const QString& line : log.lines()) {
        const auto parts = line.split(QLatin1Char(':'));
        const int w = parts[0].toInt(), i = parts[1].toInt();
        EXPECT_GT(i, last[w]);
        last[w] = i;
    }
}

TEST(LogStore, QueuedWorkForAGoneStoreIsDropped) {
    auto log = std::make_unique<LogStore>();
    std::thread([&] { log->append(QStringLiteral("late")); }).join();
    log.reset();
    drainEvents(); // must not touch the destroyed store
    SUCCEED();
}
