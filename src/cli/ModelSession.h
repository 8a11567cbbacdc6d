#pragma once

#include "app/AppModel.h"
#include "cli/TerminalPrompts.h"
#include "support/InstanceLock.h"

#include <QSettings>
#include <QTextStream>

#include <memory>

// An application model set up for the command line: the user's settings,
// questions on the terminal, and the screen when there is one.
class ModelSession {
public:
    explicit ModelSession(bool assumeYes);
    AppModel& model() { return *model_; }

    // Takes the folders for this command; false (with a sentence on `err`) while another
    // launcher, window or command, has them.
    bool claimFolders(QTextStream& err);

private:
    InstanceLock lock_;
    std::unique_ptr<QSettings> settings_;
    TerminalPrompts prompts_;
    std::unique_ptr<AppModel> model_;
};
