#pragma once

#include "app/UserPrompts.h"

// Asks in a message box over the active window.
class DialogPrompts : public UserPrompts {
public:
    bool confirm(const Question& question) override;
};
