#include "cli/TerminalPrompts.h"

#include <unistd.h>

bool TerminalPrompts::confirm(const Question& question) {
    const QByteArray prompt = (question.message + QLatin1Char('\n') + question.informativeText +
                               QStringLiteral("\n%1? [y/N] ").arg(question.acceptButton))
                                  .toUtf8();
    std::fputs(prompt.constData(), out_);
    if (assumeYes_) {
        std::fputs("yes\n", out_);
        return true;
    }
    if (!canAsk(in_)) {
        std::fputs("\n(no terminal to answer on; pass --yes to confirm)\n", out_);
        return false;
    }
    std::fflush(out_);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, in_))
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

bool TerminalPrompts::canAsk(FILE* in) {
    return isatty(fileno(in)) != 0;
}
