#include "download/Retries.h"

#include "support/CancelToken.h"
#include "support/Problem.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>

namespace Retries {

using namespace std::chrono_literals;

std::optional<Plan> plan(const Problem& problem, const DownloadTimeouts& timeouts) {
    const int attempts = 1 + static_cast<int>(timeouts.retryDelays.size());
    switch (problem.kind()) {
    case Problem::Kind::Refused:
        return Plan{QStringLiteral("Could not connect"), attempts};
    case Problem::Kind::Dropped:
        return Plan{QStringLiteral("Connection lost"), attempts};
    case Problem::Kind::TimedOut:
        return Plan{QStringLiteral("No answer from the server"), attempts};
    case Problem::Kind::Damaged:
        // A server keeps what it has: a second copy only helps when the first was spoilt on
        // the way.
        return Plan{QStringLiteral("Damaged download"), std::min(attempts, 2)};
    case Problem::Kind::HttpStatus: {
        const int status = problem.httpStatus();
        constexpr std::array passing{408, 429, 500, 502, 503, 504};
        if (std::find(passing.begin(), passing.end(), status) == passing.end())
            return std::nullopt;
        return Plan{(status == 429 || status == 503 ? QStringLiteral("Server busy (HTTP %1)")
                                                    : QStringLiteral("Server trouble (HTTP %1)"))
                        .arg(status),
                    attempts};
    }
    default:
        return std::nullopt;
    }
}

std::chrono::milliseconds delay(const DownloadTimeouts& timeouts, int retry,
                                const Problem& problem) {
    // Capped in seconds: a server's huge Retry-After would overflow as milliseconds.
    if (problem.retryAfter() >= 0s)
        return std::min<std::chrono::seconds>(problem.retryAfter(), 60s);
    const auto base = timeouts.retryDelays.at(static_cast<size_t>(retry - 1));
    const double jitter = 0.8 + 0.4 * QRandomGenerator::global()->generateDouble();
    return std::chrono::milliseconds(std::llround(static_cast<double>(base.count()) * jitter));
}

void run(const DownloadTimeouts& timeouts, const CancelToken& stop, const NoticeHandler& onNotice,
         const std::function<void()>& attempt) {
    for (int tried = 1;; ++tried) {
        try {
            attempt();
            return;
        } catch (const Problem& problem) {
            const std::optional<Plan> next = plan(problem, timeouts);
            if (!next || tried >= next->attempts || stop.isCancelled())
                throw;
            auto left = delay(timeouts, tried, problem);
            for (bool starts = true; left > 0ms; starts = false, left -= 1s) {
                if (onNotice)
                    onNotice(
                        {next->reason, problem.sentence(),
                         static_cast<int>(std::chrono::ceil<std::chrono::seconds>(left).count()),
                         tried + 1, next->attempts, starts});
                if (!stop.sleepFor(std::min<std::chrono::milliseconds>(left, 1s)))
                    throw Cancelled();
            }
        }
    }
}

} // namespace Retries
