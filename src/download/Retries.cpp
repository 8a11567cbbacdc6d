#include "download/Retries.h"

#include "download/DownloadError.h"
#include "support/CancelToken.h"

#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cmath>

namespace Retries {

using namespace std::chrono_literals;

std::optional<QString> reason(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const DownloadError& error) {
        const int status = error.httpStatus();
        constexpr std::array passing{408, 429, 500, 502, 503, 504};
        if (error.kind() != DownloadError::Kind::Http ||
            std::find(passing.begin(), passing.end(), status) == passing.end())
            return std::nullopt;
        return (status == 429 || status == 503 ? QStringLiteral("Server busy (HTTP %1)")
                                               : QStringLiteral("Server trouble (HTTP %1)"))
            .arg(status);
    } catch (const TransportError& error) {
        switch (error.kind()) {
        case TransportError::Kind::Refused:
            return QStringLiteral("Could not connect");
        case TransportError::Kind::Dropped:
            return QStringLiteral("Connection lost");
        case TransportError::Kind::TimedOut:
            return QStringLiteral("No answer from the server");
        case TransportError::Kind::Other:
            break;
        }
    } catch (...) {
    }
    return std::nullopt;
}

std::chrono::milliseconds delay(const DownloadTimeouts& timeouts, int retry,
                                const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const DownloadError& error) {
        if (error.retryAfter() >= 0s)
            return std::min<std::chrono::milliseconds>(error.retryAfter(), 60s);
    } catch (...) {
    }
    const auto base = timeouts.retryDelays.at(static_cast<size_t>(retry - 1));
    const double jitter = 0.8 + 0.4 * QRandomGenerator::global()->generateDouble();
    return std::chrono::milliseconds(std::llround(static_cast<double>(base.count()) * jitter));
}

void run(const DownloadTimeouts& timeouts, const CancelToken& stop, const NoticeHandler& onNotice,
         const std::function<void()>& attempt) {
    const int attempts = 1 + static_cast<int>(timeouts.retryDelays.size());
    for (int tried = 1;; ++tried) {
        try {
            attempt();
            return;
        } catch (...) {
            const std::exception_ptr failure = std::current_exception();
            const std::optional<QString> why = reason(failure);
            if (!why || tried == attempts || stop.isCancelled())
                throw;
            QString sentence;
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception& error) {
                sentence = QString::fromUtf8(error.what());
            }
            auto left = delay(timeouts, tried, failure);
            for (bool starts = true; left > 0ms; starts = false, left -= 1s) {
                if (onNotice)
                    onNotice(
                        {*why, sentence,
                         static_cast<int>(std::chrono::ceil<std::chrono::seconds>(left).count()),
                         tried + 1, attempts, starts});
                if (!stop.sleepFor(std::min<std::chrono::milliseconds>(left, 1s)))
                    throw Cancelled();
            }
        }
    }
}

} // namespace Retries
