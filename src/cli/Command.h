#pragma once

#include <QStringList>
#include <QTextStream>

#include <span>

// Exit statuses shared by every command.
namespace ExitCode {
inline constexpr int ok = 0;
inline constexpr int failure = 1;     // the command could not do its job (e.g. no game)
inline constexpr int usage = 2;       // unknown command or option; --yes missing, no terminal
inline constexpr int endedEarly = 2;  // the game closed too early; why is on standard error
inline constexpr int cancelled = 130; // Ctrl-C during the downloads or the set-up
} // namespace ExitCode

// A command gets its own arguments (without "quillfire <name>") and writes to
// the two streams; it returns the exit status.
using CommandFunction = int (*)(const QStringList& args, QTextStream& out, QTextStream& err);

struct Command {
    const char* name;     // as typed: "info"
    const char* synopsis; // its options: "[--json] [--game DIR]"
    const char* summary;  // one line for the help text
    const char* options;  // one "        --option  what it does\n" line per option
    CommandFunction run;
};

// Every command, in the order the help text lists them (CommandTable.cpp).
std::span<const Command> commands();

// `quillfire <args>` without the program name; returns the exit status.
int dispatch(const QStringList& args, QTextStream& out, QTextStream& err);

// The help text: commands, options and exit statuses.
QString usageText();
