#pragma once

#include "engine/EngineSpec.h"
#include "runner/ImportState.h"
#include "runner/ProcessJob.h"
#include "runner/RunOptions.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <mutex>

class CancelToken;
class LogStore;

// How often the Godot 3 editor's import is checked, and how long any import may take.
struct ImportTiming {
    std::chrono::milliseconds checkInterval{2000};
    std::chrono::milliseconds limit{900'000};
};

// Runs the installed engine on the game: once to import its assets, then to
// play it. One engine process at a time; its command line and every line it
// prints go to the log. runImport() and play() block, so they belong on a
// worker thread; job() lets other threads see and stop the running engine.
class GameRunner {
public:
    explicit GameRunner(LogStore& log, ImportTiming timing = {});

    // The running import or game, or null. Any thread.
    std::shared_ptr<ProcessJob> job() const;

    // Whether the import for this engine version finished before (marker file in
    // Paths::gameFolder()) and its imported data is still there.
    static bool isImported(const QString& project, const EngineSpec& spec);
    static ImportState importState(const QString& project);
    static QStringList importArguments(const QString& project, const EngineSpec& spec);
    // Drops the import markers, so that the next Play runs the import again.
    static void forgetImport();

    // Runs the engine's import and checks that it finished; writes the marker.
    // Throws Cancelled, or an Import problem with a sentence for the player.
    void runImport(const QString& engine, const QString& project, const EngineSpec& spec,
                   CancelToken& token);
    // How the last import's engine ended and what it printed last: its failures are the game's.
    const RunOutcome& importOutcome() const { return import_; }

    // The game's command line for an engine of major version `engineMajor`.
    static QStringList arguments(const QString& project, int engineMajor,
                                 const RunOptions& options);

    // Starts the game and waits until it ends; `stop` ends it, also when asked for before the
    // game has started. Throws an Engine problem.
    RunOutcome play(const QString& engine, const QString& project, int engineMajor,
                    const RunOptions& options, CancelToken& stop);

    // How many of the game's last lines a RunOutcome keeps.
    static constexpr int keptOutputLines = 200;

    // Window sizes offered to the user; the empty text means the game's own size.
    static const QStringList resolutionChoices;

private:
    std::shared_ptr<ProcessJob> recordJob(const QString& engine, const QStringList& arguments,
                                          ProcessJob::LineHandler alsoOnLine = {});
    void forgetJob();

    LogStore& log_;
    const ImportTiming timing_;
    mutable std::mutex jobMutex_;
    std::shared_ptr<ProcessJob> job_;
    RunOutcome import_;
};
