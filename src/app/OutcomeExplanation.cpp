#include "app/OutcomeExplanation.h"

#include "app/FailureCatalogue.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int keptLines = 30;

QString roundedSeconds(double seconds) {
    // "%.0f" rounds an exact half to the even neighbour, as users of printf expect.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", seconds);
    return QString::fromLatin1(buffer);
}

} // namespace

Failure explainOutcome(const RunOutcome& outcome, const RunOptions& options) {
    const QStringList& output = outcome.output;
    const QStringList kept = output.mid(std::max<qsizetype>(0, output.size() - keptLines));
    QString headline = QStringLiteral("The game closed after %1 seconds (exit code %2), so it did "
                                      "not stay open.")
                           .arg(roundedSeconds(outcome.seconds))
                           .arg(outcome.exitCode);
    const std::optional<Diagnosis> diagnosis = diagnose(outcome, options);
    if (diagnosis)
        headline += QLatin1Char(' ') + diagnosis->cause;
    headline += QStringLiteral(" Last log lines:");
    return {headline, kept, diagnosis ? diagnosis->action : FailureAction::None};
}
