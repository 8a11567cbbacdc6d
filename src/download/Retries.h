#pragma once

#include "download/DownloadTimeouts.h"

#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class CancelToken;
class Problem;

// Transfers that fail for a reason that may pass (a refused, dropped or silent connection, a body
// cut short, HTTP 408, 429, 500, 502, 503 or 504) are tried again, up to as many times as there
// are retry delays; a file that arrived whole but damaged once more; a 404, a web page, a
// refused certificate or redirect and the like never are.
namespace Retries {

// While a failed transfer waits to be tried again, once when the wait starts and then once a
// second: why, in a few words and as the failure's own sentence; the seconds left; the number
// of the coming try and of all tries.
struct Notice {
    QString reason;
    QString sentence;
    int secondsLeft = 0;
    int attempt = 0;
    int attempts = 0;
    bool starts = false; // the first notice of this wait
};
using NoticeHandler = std::function<void(const Notice&)>;

// What trying again after `problem` may look like: the few words for the player ("Connection
// lost") and how many tries there are in all.
struct Plan {
    QString reason;
    int attempts = 0;
};

// Nothing when trying again cannot help.
std::optional<Plan> plan(const Problem& problem, const DownloadTimeouts& timeouts);

// The wait before retry `retry` (1 for the second try): the configured delay give or take a
// fifth, or what the server's Retry-After asked for, up to a minute.
std::chrono::milliseconds delay(const DownloadTimeouts& timeouts, int retry,
                                const Problem& problem);

// Runs `attempt` until it succeeds, tries again after a wait when it fails with a problem that
// may pass, and rethrows the last one. A cancel of `stop` ends a wait at once with Cancelled.
void run(const DownloadTimeouts& timeouts, const CancelToken& stop, const NoticeHandler& onNotice,
         const std::function<void()>& attempt);

} // namespace Retries
