#pragma once

#include "app/AppModel.h"

#include <QList>
#include <QSettings>
#include <QStringList>

#include <functional>
#include <memory>

// Answers the model's questions from a script (then with `answer`) and remembers them.
class ScriptedPrompts : public UserPrompts {
public:
    bool confirm(const Question& question) override {
        asked.append(question);
        if (onAsk)
            onAsk();
        return answers.isEmpty() ? answer : answers.takeFirst();
    }

    QList<bool> answers;
    bool answer = false;
    QList<Question> asked;
    std::function<void()> onAsk; // runs while the question is up
};

class RecordingRevealer : public FolderRevealer {
public:
    void reveal(const QString& folder) override { revealed.append(folder); }
    QStringList revealed;
};

// A model with fakes for everything outside: settings in a file of their own, scripted
// questions, recorded reveals, no screen unless `tune` gives one.
class ModelHarness {
public:
    explicit ModelHarness(const QString& settingsFile,
                          const std::function<void(AppEnvironment&)>& tune = {})
        : settings(settingsFile, QSettings::IniFormat) {
        AppEnvironment environment;
        environment.settings = &settings;
        environment.prompts = &prompts;
        environment.revealer = &revealer;
        environment.screenArea = [] { return std::optional<QSizeF>(); };
        if (tune)
            tune(environment);
        model = std::make_unique<AppModel>(std::move(environment));
    }
    ~ModelHarness() { model->shutdown(); }
    ModelHarness(const ModelHarness&) = delete;
    ModelHarness& operator=(const ModelHarness&) = delete;

    QSettings settings;
    ScriptedPrompts prompts;
    RecordingRevealer revealer;
    std::unique_ptr<AppModel> model;
};
