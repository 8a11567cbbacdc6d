#pragma once

#include "app/UserPrompts.h"

#include <cstdio>

// Asks the model's questions on the terminal; `--yes` answers them in advance.
// Without a terminal to ask on, the answer is no.
class TerminalPrompts : public UserPrompts {
public:
    TerminalPrompts(bool assumeYes, FILE* in = stdin, FILE* out = stderr)
        : assumeYes_(assumeYes), in_(in), out_(out) {}
    bool confirm(const Question& question) override;
    // Whether someone can type an answer on `in`.
    static bool canAsk(FILE* in = stdin);

private:
    bool assumeYes_;
    FILE* in_;
    FILE* out_;
};
