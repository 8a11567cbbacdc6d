#pragma once

#include "app/AppModel.h"

#include <QSettings>

// Answers the model's questions from a script (then no) and remembers them.
struct ScriptedPrompts : UserPrompts {
    bool confirm(const Question& question) override {
        asked.append(question);
        if (onAsk)
            onAsk();
        return !answers.isEmpty() && answers.takeFirst();
    }
    QList<bool> answers;
    QList<Question> asked;
    std::function<void()> onAsk; // runs while the question is up
};

struct RecordingRevealer : FolderRevealer {
    void reveal(const QString& folder) override { revealed.append(folder); }
    QStringList revealed;
};

// A model with fakes for everything outside: settings in a file of their own, scripted questions,
// recorded reveals, no screen unless `tune` gives one.
struct ModelHarness {
    explicit ModelHarness(const QString& settingsFile,
                          const std::function<void(AppEnvironment&)>& tune = {})
        : settings(settingsFile, QSettings::IniFormat) {
        AppEnvironment environment{&settings, &prompts, &revealer, [] { return std::nullopt; }};
        if (tune)
            tune(environment);
        model = std::make_unique<AppModel>(std::move(environment));
    }
    ~ModelHarness() { model->shutdown(); }

    QSettings settings;
    ScriptedPrompts prompts;
    RecordingRevealer revealer;
    std::unique_ptr<AppModel> model;
};
