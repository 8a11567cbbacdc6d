#pragma once

#include <QString>

#include <chrono>

#include <sys/types.h>

// Looks at processes from outside, for tests that must see a child or its
// children end.
namespace probe {

using namespace std::chrono_literals;

// Whether `pid` is a live process (a zombie counts as ended).
bool isAlive(pid_t pid);
// Waits up to `timeout` until `pid` has ended.
bool waitUntilGone(pid_t pid, std::chrono::milliseconds timeout = 10s);
// Waits up to `timeout` for `file` to hold a pid; 0 when it never does.
pid_t waitForPid(const QString& file, std::chrono::milliseconds timeout = 10s);

} // namespace probe
