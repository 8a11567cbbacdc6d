#include "runner/GameRunner.h"

#include "runner/LastLines.h"

#include "support/CancelToken.h"
#include "support/LogStore.h"

#include <QScopeGuard>

GameRunner::GameRunner(LogStore& log, ImportTiming timing) : log_(log), timing_(timing) {}

const QStringList GameRunner::resolutionChoices{
    QString(), QStringLiteral("1280x720"), QStringLiteral("1600x900"), QStringLiteral("1920x1080"),
    QStringLiteral("2560x1440")};

std::shared_ptr<ProcessJob> GameRunner::job() const {
    std::lock_guard lock(jobMutex_);
    return job_;
}

std::shared_ptr<ProcessJob> GameRunner::recordJob(const QString& engine,
                                                  const QStringList& arguments,
                                                  ProcessJob::LineHandler alsoOnLine) {
    auto job = std::make_shared<ProcessJob>(
        engine, arguments, [&log = log_, alsoOnLine = std::move(alsoOnLine)](const QString& line) {
            log.append(line);
            if (alsoOnLine)
                alsoOnLine(line);
        });
    std::lock_guard lock(jobMutex_);
    job_ = job;
    return job;
}

void GameRunner::forgetJob() {
    std::lock_guard lock(jobMutex_);
    job_.reset();
}

QStringList GameRunner::arguments(const QString& project, int engineMajor,
                                  const RunOptions& options) {
    QStringList list{QStringLiteral("--path"), project,
                     options.fullscreen ? QStringLiteral("--fullscreen")
                                        : QStringLiteral("--windowed")};
    if (!options.resolution.isEmpty())
        list << QStringLiteral("--resolution") << options.resolution;
    if (options.compatibilityGraphics)
        list << (engineMajor == 3
                     ? QStringList{QStringLiteral("--video-driver"), QStringLiteral("GLES2")}
                     : QStringList{QStringLiteral("--rendering-driver"),
                                   QStringLiteral("opengl3")});
    return list;
}

RunOutcome GameRunner::play(const QString& engine, const QString& project, int engineMajor,
                            const RunOptions& options, CancelToken& stop) {
    const QStringList args = arguments(project, engineMajor, options);
    // The game's own words, apart from whatever the log held before it started.
    LastLines output(keptOutputLines);
    const auto job = recordJob(engine, args, [&output](const QString& line) { output.add(line); });
    const auto forget = qScopeGuard([this] { forgetJob(); });
    const CancelHook stopOnRequest(&stop, [job] { job->stop(); });
    log_.append(QStringLiteral("Starting the game: ") + args.join(QLatin1Char(' ')));
    const auto started = std::chrono::steady_clock::now();
    const int status = job->run();
    return {status,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
            job->endedBySignal(), output.list(), engineMajor};
}
