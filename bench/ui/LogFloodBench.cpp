// How responsive the window stays while a child process floods the log:
// 100,000 lines a second are appended from a background thread while the
// window shows the log, and the lateness of a 5 ms timer on the GUI thread is
// measured. Prints the figures with the log closed and with it open.

#include "app/AppModel.h"
#include "ui/ContentView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int linesPerSecond = 100'000;
constexpr int batchesPerSecond = 100;
constexpr auto runFor = std::chrono::seconds(3);
constexpr int tickMs = 5;

struct Figures {
    double maxMs;
    double p99Ms;
    long long linesApplied; // reached the store on the GUI thread while measuring
};

// Appends lines at the set rate until told to stop.
void flood(LogStore& log, const std::atomic<bool>& stop) {
    const auto period = std::chrono::microseconds(1'000'000 / batchesPerSecond);
    auto next = Clock::now();
    long long n = 0;
    while (!stop) {
        for (int i = 0; i < linesPerSecond / batchesPerSecond; ++i)
            log.append(
                QStringLiteral("ERROR: something the engine prints very often, line %1").arg(++n));
        next += period;
        std::this_thread::sleep_until(next);
    }
}

Figures measure(AppModel& model, bool logOpen) {
    model.log().clear();
    model.setShowLog(logOpen);
    QApplication::processEvents();

    std::vector<double> lateness;
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(tickMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        lateness.push_back(std::max(0.0, (now - last) / 1e6 - tickMs));
        last = now;
    });

    long long applied = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&model.log(), &LogStore::appended, [&] { ++applied; });

    std::atomic<bool> stop{false};
    std::thread producer(flood, std::ref(model.log()), std::cref(stop));
    QTimer::singleShot(runFor, [&] { QApplication::exit(); });
    clock.start();
    tick.start();
    QApplication::exec();
    stop = true;
    producer.join();
    tick.stop();
    QObject::disconnect(counting);
    QApplication::processEvents(); // lines still queued are not part of the next round

    std::sort(lateness.begin(), lateness.end());
    const double p99 = lateness.empty() ? 0 : lateness[lateness.size() * 99 / 100];
    return {lateness.empty() ? 0 : lateness.back(), p99, applied};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8()); // nothing of the user's is read
    QApplication app(argc, argv);

    QSettings settings(home.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    AppEnvironment environment;
    environment.settings = &settings;
    AppModel model(std::move(environment));
    ContentView view(model);
    view.resize(620, 700);
    view.show();

    std::printf("log flood: %d lines/s from a background thread for %lld s, %d ms timer\n",
                linesPerSecond, static_cast<long long>(runFor.count()), tickMs);
    for (const bool open : {false, true}) {
        const Figures f = measure(model, open);
        std::printf("  log %-6s  timer lateness max %6.1f ms  p99 %6.1f ms  (%lld lines applied)\n",
                    open ? "open" : "closed", f.maxMs, f.p99Ms, f.linesApplied);
    }
    model.shutdown();
    return 0;
}
