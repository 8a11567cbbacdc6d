#include "app/OutcomeExplanation.h"

#include "app/FailureCatalogue.h"
#include "runner/SignalWords.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int keptLines = 30;

// "3 seconds", "1 second".
QString roundedSeconds(double seconds) {
    // "%.0f" rounds an exact half to the even neighbour, as users of printf expect.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", seconds);
    const QString count = QString::fromLatin1(buffer);
    return count +
           (count == QLatin1String("1") ? QStringLiteral(" second") : QStringLiteral(" seconds"));
}

} // namespace

Failure explainOutcome(const RunOutcome& outcome, const RunOptions& options) {
    const QStringList& output = outcome.output;
    const QStringList kept = output.mid(std::max<qsizetype>(0, output.size() - keptLines));
    Judgement judged = judge(outcome, options);
    if (outcome.engineDamaged) {
        const QString cause = QStringLiteral("Godot's files changed since it was installed: it is "
                                             "damaged on disk. Repairing downloads it again.");
        judged.cause = Diagnosis{cause, cause, FailureAction::Repair, true};
    }
    const QString seconds = roundedSeconds(outcome.seconds);
    const QString opening =
        judged.crashSignal
            ? QStringLiteral("The game crashed after %1 (%2).")
                  .arg(seconds, signalWords(*judged.crashSignal))
            : QStringLiteral("The game closed after %1 (exit code %2), so it did not stay open.")
                  .arg(seconds)
                  .arg(outcome.exitCode);
    const auto headline = [&](const QString& cause) {
        return opening + (judged.cause ? QLatin1Char(' ') + cause : QString()) +
               QStringLiteral(" Last log lines:");
    };
    if (!judged.cause)
        return {headline({}), kept, FailureAction::None, headline({})};
    return {headline(judged.cause->cause), kept, judged.cause->action,
            headline(judged.cause->commandLineCause)};
}

Problem explainSetup(const Problem& problem, const RunOutcome& setup) {
    const std::optional<Diagnosis> cause = judge(setup, {}).cause;
    if (!cause || !cause->fatal)
        return problem; // the editor's import prints the game's own errors, harmless there
    const QString words =
        cause->action == FailureAction::CompatibilityGraphics
            ? QStringLiteral("The graphics driver cannot run Godot: it lacks the OpenGL version "
                             "Godot needs. A newer graphics driver may help.")
            : cause->cause;
    return Problem(problem.kind(), problem.sentence() + QLatin1Char(' ') + words);
}
