#pragma once

#include "cli/Command.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// What one in-process `quillfire <args>` printed and returned.
struct CommandRun {
    int code = 0;
    QString out;
    QString err;
};

inline CommandRun quillfire(const QStringList& args) {
    CommandRun run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.code = dispatch(args, out, err);
    out.flush();
    err.flush();
    return run;
}
