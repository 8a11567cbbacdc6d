#include "app/RunResult.h"

QString sentenceFor(const Problem& problem) {
    if (!problem.isNetwork())
        return problem.sentence();
    return QStringLiteral("A download failed: ") + problem.sentence() +
           QStringLiteral(" Check your internet connection and press Play again.");
}
