#pragma once

#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "testkit/ModelHarness.h"
#include "testkit/SampleGame.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>

// A launcher against the loopback mirror of the hosting service, which serves the sample game and
// the stand-in engine as the official Linux asset. Records every phase, step and detail text.
class Launch : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        testkit::serveSampleGame(server, "game_seconds=1");
        harness = std::make_unique<ModelHarness>(scratch() + "/settings.ini", [](auto& env) {
            env.screenArea = [] { return std::optional<QSizeF>({1920, 1055}); };
            env.importTiming = {20ms, 20s};
            env.playingAfter = 400ms;
            env.downloads.retryDelays = {20ms, 20ms, 20ms};
        });
        QObject::connect(&model(), &AppModel::phaseChanged,
                         [this] { phases << model().phase().kind(); });
        QObject::connect(&model(), &AppModel::stepTextChanged,
                         [this] { steps << model().stepText(); });
        QObject::connect(&model(), &AppModel::detailTextChanged,
                         [this] { details << model().detailText(); });
    }
    void TearDown() override {
        harness.reset();
        IsolatedTest::TearDown();
    }

    AppModel& model() { return *harness->model; }
    // False when the run did not end in time.
    bool runToEnd(RunRequest request = RunRequest::play()) {
        QSignalSpy finished(&model(), &AppModel::runFinished);
        model().start(request);
        return finished.wait(60'000);
    }
    static void setBehaviour(const QString& settings) {
        testkit::behave(project(), "editor_gap=0.05 import_sidecars=2\n" + settings);
    }
    static QString project() { return Paths::gameFolder() + "/" + testkit::sampleTop; }
    static QString lastRun() { return testkit::standinRuns(project()).last().join(' '); }
    static bool gameGone() { return testkit::waitUntilGone(testkit::standinPid(project())); }

    const QString gamePath = "/varnel/godot_brennick/archive/refs/heads/main.zip";
    const QString enginePath = QUrl(testkit::sampleEngine().archiveUrl()).path();
    const QString sumsPath = QUrl(testkit::sampleEngine().checksumUrl()).path();
    testkit::HttpTestServer server;
    std::unique_ptr<ModelHarness> harness;
    QList<Phase::Kind> phases;
    QStringList steps, details;
};
