// How quickly a second Play reaches the game: from AppModel::start() to the game
// process spawned, and from `quillfire play` starting to the game's first write.
// Everything is installed first from a loopback mirror; the engine is the stand-in.
#include "app/AppModel.h"
#include "engine/EngineSpec.h"
#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/SampleGame.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString argsLog() {
    return Paths::gameFolder() + QLatin1Char('/') + testkit::sampleTop +
           QStringLiteral("/.standin-args");
}

// Spawns `program args` and waits until the stand-in game has written its argument log.
double untilGameWrites(const QString& program, const QStringList& args) {
    QFile::remove(argsLog());
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.start(program, args);
    while (!QFileInfo::exists(argsLog()))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    // An orderly quit stops the game too; a kill would leave it running.
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    process.waitForFinished();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    testkit::isolateProcess();
    QCoreApplication app(argc, argv);
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());

    testkit::HttpTestServer server;
    testkit::serveSampleGame(server, QStringLiteral("game_seconds=60"));

    QSettings settings(data.path() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
    AppEnvironment env;
    env.settings = &settings;
    env.importTiming = {std::chrono::milliseconds(20), std::chrono::milliseconds(60'000)};
    AppModel model(std::move(env));
    QSignalSpy finished(&model, &AppModel::runFinished);
    model.start(RunRequest::setUp());
    if (!finished.wait(120'000) || model.phase().kind() != Phase::Kind::Ready) {
        std::fprintf(stderr, "set-up failed: %s\n",
                     qPrintable(model.log().lines().join(QLatin1Char('\n'))));
        return 1;
    }

    std::vector<double> inProcess, wholeProgram, engineAlone;
    const QString project = Paths::gameFolder() + QLatin1Char('/') + testkit::sampleTop;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer clock;
        clock.start();
        model.start(RunRequest::play());
        for (;;) {
            const auto job = model.runner().job();
            if (job && job->isRunning())
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        inProcess.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        model.stopGame();
        finished.wait(10'000);

        wholeProgram.push_back(
            untilGameWrites(QStringLiteral(QUILLFIRE_BINARY), {QStringLiteral("play")}));
        engineAlone.push_back(
            untilGameWrites(testkit::standinEngine(),
                            {QStringLiteral("--path"), project, QStringLiteral("--windowed")}));
    }
    std::printf("Second Play, median of %zu runs (game, engine and import in place)\n",
                inProcess.size());
    std::printf("  AppModel::start() to game process spawned:        %7.2f ms (target < 30 ms)\n",
                median(inProcess));
    std::printf("  `quillfire play` start to the game's first write: %7.2f ms\n",
                median(wholeProgram));
    std::printf("  the stand-in engine alone, start to first write:  %7.2f ms\n",
                median(engineAlone));
    std::printf("  so `quillfire play` start to game spawned:        %7.2f ms (target < 150 ms)\n",
                median(wholeProgram) - median(engineAlone));
    return 0;
}
