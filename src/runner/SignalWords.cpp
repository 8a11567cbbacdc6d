#include "runner/SignalWords.h"

#include <csignal>
#include <utility>

QString signalWords(int number) {
    static const std::pair<int, const char*> names[]{
        {SIGSEGV, "segmentation fault"}, {SIGABRT, "aborted"},         {SIGBUS, "bus error"},
        {SIGILL, "illegal instruction"}, {SIGFPE, "arithmetic error"}, {SIGKILL, "killed"},
        {SIGTERM, "terminated"}};
    for (const auto& [signal, words] : names)
        if (signal == number)
            return QLatin1String(words) + QStringLiteral(", signal %1").arg(number);
    return QStringLiteral("signal %1").arg(number);
}
