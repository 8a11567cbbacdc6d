#include "app/OutcomeExplanation.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int keptLines = 30;

bool containsAny(const QString& text, std::initializer_list<QLatin1String> patterns) {
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](QLatin1String p) { return text.contains(p); });
}

bool reportsGameFilesProblem(const QString& joined) {
    return containsAny(joined, {QLatin1String("Failed loading resource"),
                                QLatin1String("Can't open"), QLatin1String("Cannot open file")});
}

// Every healthy start prints its renderer banner, so a graphics word alone
// proves nothing; the same line must also report a problem.
bool reportsGraphicsProblem(const QStringList& lines) {
    return std::any_of(lines.begin(), lines.end(), [](const QString& line) {
        return containsAny(line, {QLatin1String("OpenGL"), QLatin1String("GLES"),
                                  QLatin1String("Vulkan")}) &&
               containsAny(line, {QLatin1String("ERROR"), QLatin1String("Error"),
                                  QLatin1String("error"), QLatin1String("Failed"),
                                  QLatin1String("failed"), QLatin1String("Unable"),
                                  QLatin1String("unable"), QLatin1String("not supported")});
    });
}

QString roundedSeconds(double seconds) {
    // "%.0f" rounds an exact half to the even neighbour, as users of printf expect.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", seconds);
    return QString::fromLatin1(buffer);
}

} // namespace

Failure explainOutcome(const RunOutcome& outcome, const QStringList& logLines) {
    const QStringList kept = logLines.mid(std::max<qsizetype>(0, logLines.size() - keptLines));
    QString headline = QStringLiteral("The game closed after %1 seconds (exit code %2), so it did "
                                      "not stay open.")
                           .arg(roundedSeconds(outcome.seconds))
                           .arg(outcome.exitCode);
    if (reportsGameFilesProblem(kept.join(QLatin1Char('\n'))))
        headline +=
            QStringLiteral(" Some game files could not be loaded; try Reinstall in Settings.");
    else if (reportsGraphicsProblem(kept))
        headline += QStringLiteral(" The graphics system reported a problem.");
    headline += QStringLiteral(" Last log lines:");
    return {headline, kept};
}
