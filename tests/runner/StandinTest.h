#pragma once

#include "support/LogStore.h"
#include "support/Paths.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QCoreApplication>

// A game project inside the launcher's game folder (its path has a space), run by the stand-in
// engine with the behaviour a test writes for it.
class StandinTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        testkit::writeFile(project(), "project.godot", "config_version=4\n");
    }
    static QString project() { return Paths::gameFolder() + "/Brennick Game"; }
    static void behave(const QString& settings) { testkit::behave(project(), settings); }
    // The log once the lines queued by other threads have arrived.
    QStringList logLines() {
        QCoreApplication::processEvents();
        return log.lines();
    }

    LogStore log;
};
