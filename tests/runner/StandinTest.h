#pragma once

#include "support/LogStore.h"
#include "testkit/TestEnvironment.h"

#include <QList>
#include <QStringList>

#include <sys/types.h>

// A game project inside the launcher's game folder (its path has a space),
// run by the stand-in engine with the behaviour a test writes for it.
class StandinTest : public IsolatedTest {
protected:
    void SetUp() override;

    static QString engine() { return QStringLiteral(STANDIN_GODOT); }
    QString project() const;
    // The stand-in's ".standin.ini" (see tests/tools/standin-godot/main.cpp).
    void behave(const QByteArray& settings) const;
    QList<QStringList> recordedArguments() const;
    // The engine's pid, once it has started up.
    pid_t enginePid() const;
    // The log after the lines queued by other threads have arrived.
    QStringList logLines();

    LogStore log;
};
