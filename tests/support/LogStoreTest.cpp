#include "support/LogStore.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <thread>

#include <gtest/gtest.h>

TEST(LogStore, KeepsTheNewest3000AndAppliesOtherThreadsOnItsOwn) {
    LogStore log;
    QSignalSpy trims(&log, &LogStore::trimmed);
    for (int i = 1; i <= 3001; ++i)
        log.append(QString::number(i));
    ASSERT_EQ(log.size(), 3000);
    EXPECT_EQ(log.at(0), QStringLiteral("2"));
    EXPECT_EQ(log.tail(1), QStringList{QStringLiteral("3001")});
    EXPECT_EQ(trims.count(), 1);

    std::thread([&] {
        log.clear();
        log.append(QStringLiteral("after clear"));
    }).join();
    EXPECT_EQ(log.size(), 3000) << "other threads' changes wait for the GUI thread";
    QCoreApplication::processEvents();
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
    QCoreApplication::processEvents();
    ASSERT_EQ(log.size(), 3000);
    std::vector<int> last(4, -1);
    for (const QString& line : log.lines()) {
        const int w = line.section(':', 0, 0).toInt(), i = line.section(':', 1).toInt();
        EXPECT_GT(i, last[w]);
        last[w] = i;
    }
}
