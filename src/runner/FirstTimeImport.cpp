// GameRunner's first-time import: the engine imports the game's assets once,
// the launcher checks that it really finished and leaves a marker.
#include "runner/BackgroundRun.h"
#include "runner/GameRunner.h"
#include "runner/LastLines.h"
#include "runner/SignalWords.h"

#include "support/CancelToken.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/Problem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QVersionNumber>

namespace {

struct ImportEnd {
    int status = -1;
    bool endedByWatch = false; // Godot 3: the launcher closed the editor once all was imported
    bool timedOut = false;
    bool signalled = false;
};

QString importFolder(const QString& project, const EngineSpec& spec) {
    return project + (spec.major == 3 ? QStringLiteral("/.import") : QStringLiteral("/.godot"));
}

const QString markerPrefix = QStringLiteral(".setup2-done-");

QString markerPath(const EngineSpec& spec) {
    return Paths::gameFolder() + QLatin1Char('/') + markerPrefix + spec.version;
}

// Godot 3 has no import mode: its editor imports on opening and stays open. It is
// closed once the sidecar count has stayed the same over three checks and every
// destination exists at the last two.
ImportEnd watchEditor(BackgroundRun& run, const QString& project, const ImportTiming& timing,
                      const CancelToken& token) {
    const auto start = std::chrono::steady_clock::now();
    bool previousComplete = false;
    int previousTotal = -1;
    for (;;) {
        if (!token.sleepFor(timing.checkInterval)) {
            run.finish();
            throw Cancelled();
        }
        if (run.hasEnded())
            return {run.finish()};
        const ImportState state = readImportState(project);
        const bool complete = state.total == previousTotal && state.allPresent();
        if (complete && previousComplete)
            return {run.finish(), true};
        if (std::chrono::steady_clock::now() - start > timing.limit)
            return {run.finish(), false, true};
        previousComplete = complete;
        previousTotal = state.total;
    }
}

// Godot 4 quits by itself when done, but an import can hang.
ImportEnd awaitImport(BackgroundRun& run, const ImportTiming& timing) {
    const bool inTime = run.waitFor(timing.limit);
    return {run.finish(), false, !inTime};
}

// Only an engine that ended by itself without failing, or the Godot 3 editor closed by the
// watch, has imported: files an earlier import left prove nothing. Godot 4 before 4.3 may exit
// with status 1 after a good import; what is on disk decides then.
bool endedCleanly(const ImportEnd& end, const QString& project, const EngineSpec& spec) {
    if (end.endedByWatch || (end.status == 0 && !end.signalled))
        return true;
    return spec.major == 4 && end.status == 1 && !end.signalled &&
           QVersionNumber::fromString(spec.version) < QVersionNumber(4, 3) &&
           QFileInfo(importFolder(project, spec)).isDir() && readImportState(project).allPresent();
}

void checkImport(const ImportEnd& end, const QString& project, const EngineSpec& spec) {
    const auto fail = [](const QString& sentence) {
        throw Problem(Problem::Kind::Import, sentence);
    };
    if (end.timedOut)
        fail(QStringLiteral("First-time setup took longer than 15 minutes and was stopped."));
    if (end.signalled && !end.endedByWatch)
        fail(QStringLiteral("First-time setup stopped: Godot crashed (%1).")
                 .arg(signalWords(end.status)));
    if (!endedCleanly(end, project, spec))
        fail(QStringLiteral("First-time setup stopped with exit code %1.").arg(end.status));
    if (!QFileInfo(importFolder(project, spec)).isDir())
        fail(QStringLiteral("First-time setup ended but did not create the game's imported data "
                            "(%1 folder).")
                 .arg(QFileInfo(importFolder(project, spec)).fileName()));
    if (const ImportState state = readImportState(project); !state.allPresent())
        fail(QStringLiteral("First-time setup did not finish importing the game's files (%1 "
                            "still missing, Godot exit code %2).")
                 .arg(state.missing)
                 .arg(end.status));
}

} // namespace

bool GameRunner::isImported(const QString& project, const EngineSpec& spec) {
    return QFileInfo::exists(markerPath(spec)) && QFileInfo(importFolder(project, spec)).isDir();
}

ImportState GameRunner::importState(const QString& project) {
    return readImportState(project);
}

void GameRunner::forgetImport() {
    QDir game(Paths::gameFolder());
    for (const QString& marker :
         game.entryList({markerPrefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden))
        game.remove(marker);
}

QStringList GameRunner::importArguments(const QString& project, const EngineSpec& spec) {
    if (spec.major == 3)
        return {QStringLiteral("--editor"), QStringLiteral("--path"), project};
    // "--import" arrived in 4.2.2; before it, the editor imports on opening.
    const bool hasImportOption =
        QVersionNumber::fromString(spec.version) >= QVersionNumber(4, 2, 2);
    return {QStringLiteral("--headless"),
            hasImportOption ? QStringLiteral("--import") : QStringLiteral("--editor"),
            QStringLiteral("--quit"), QStringLiteral("--path"), project};
}

void GameRunner::runImport(const QString& engine, const QString& project, const EngineSpec& spec,
                           CancelToken& token) {
    // Only a run that succeeds counts: a failed one leaves the game to be set up again.
    QFile::remove(markerPath(spec));
    const QStringList args = importArguments(project, spec);
    LastLines output(keptOutputLines);
    const auto job = recordJob(engine, args, [&output](const QString& line) { output.add(line); });
    const auto forget = qScopeGuard([this] { forgetJob(); });
    log_.append(QStringLiteral("Running first-time setup: ") + QFileInfo(engine).fileName() +
                QLatin1Char(' ') + args.join(QLatin1Char(' ')));
    const CancelHook stopOnCancel(&token, [job] { job->stop(); });

    ImportEnd end;
    {
        BackgroundRun run(job, log_);
        end =
            spec.major == 3 ? watchEditor(run, project, timing_, token) : awaitImport(run, timing_);
    }
    end.signalled = job->endedBySignal();
    import_ = {end.status, 0, end.signalled, output.list(), spec.major};
    forgetJob();
    token.throwIfCancelled();
    checkImport(end, project, spec);

    QFile marker(markerPath(spec));
    if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        marker.write("ok");
}
