#include "Fuzz.h"
#include "download/HttpHeaders.h"
#include "download/Retries.h"
#include "support/Problem.h"

using namespace std::chrono_literals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray value = bytes(data, size);
    const auto range = HttpHeaders::contentRange(value);
    FUZZ_CHECK(!range || range->first >= 0);
    // However long the server asks us to wait, the wait stays within a minute.
    const auto wait = Retries::delay({}, 1, Problem::http(503, HttpHeaders::retryAfter(value)));
    FUZZ_CHECK(wait >= 0ms && wait <= 60s);
    HttpHeaders::isWebPageType(value);
    HttpHeaders::startsLikeHtml(value);
    return 0;
}
