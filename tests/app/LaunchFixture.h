#pragma once

#include "app/AppModel.h"
#include "engine/EngineSpec.h"
#include "testkit/HttpTestServer.h"
#include "testkit/TestEnvironment.h"

#include <QSettings>

#include <memory>

// Scripted answers to the model's questions, and a record of what was asked.
class ScriptedPrompts : public UserPrompts {
public:
    bool confirm(const Question& question) override {
        asked << question;
        return answer;
    }
    bool answer = true;
    QList<Question> asked;
};

class RecordingRevealer : public FolderRevealer {
public:
    void reveal(const QString& folder) override { revealed << folder; }
    QStringList revealed;
};

// A launcher against the loopback mirror of the hosting service, which serves a
// small Godot 3 game and the stand-in engine as the official Linux asset.
class LaunchFixture : public IsolatedTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The game's files as the repository archive holds them (below one top folder).
    static QByteArray gameZip(const QString& standinIni, const QString& features = {});
    static QByteArray engineZip();
    static EngineSpec gameEngine() { return {3, QStringLiteral("3.5.3"), false}; }

    // Serves the default game and engine again, with no misbehaviour.
    void resetMirror();

    AppModel& model();
    // Starts a run and waits for it to end; false when it did not end in time.
    bool runToEnd(bool forceGame = false, bool launch = true);
    bool waitForPhase(Phase::Kind kind);

    QString projectDir() const;
    // Rewrites the installed game's stand-in behaviour.
    void setBehaviour(const QString& ini) const;
    QStringList gameArgumentLists() const;
    int requestsFor(const QString& pathPart) const;

    testkit::HttpTestServer server;
    ScriptedPrompts prompts;
    RecordingRevealer revealer;
    QList<Phase::Kind> phases;
    QStringList stepTexts;

private:
    std::unique_ptr<QSettings> settings_;
    std::unique_ptr<AppModel> model_;
};
