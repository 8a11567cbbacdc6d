#include "cli/Command.h"

#include <algorithm>

namespace {

const Command* findCommand(const QString& name) {
    const std::span<const Command> table = commands();
    const auto found = std::find_if(table.begin(), table.end(), [&](const Command& command) {
        return name == QLatin1String(command.name);
    });
    return found != table.end() ? &*found : nullptr;
}

bool asksForHelp(const QStringList& args) {
    return args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"));
}

QString commandHelp(const Command& command) {
    return QStringLiteral("  quillfire %1 %2\n      %3\n%4")
        .arg(QLatin1String(command.name), QLatin1String(command.synopsis),
             QLatin1String(command.summary), QLatin1String(command.options));
}

} // namespace

QString usageText() {
    QString text = QStringLiteral("Usage: quillfire <command> [options]\n"
                                  "       quillfire --help | --version\n\nCommands:\n");
    for (const Command& command : commands())
        text += commandHelp(command);
    text += QStringLiteral("\nExit status:\n"
                           "  0    success (set-up done, game closed normally or stopped)\n"
                           "  1    the command failed (for example, no game was found);\n"
                           "       the reason is on standard error\n"
                           "  2    unknown command or option, --yes missing where no terminal\n"
                           "       can ask, or the game closed too early (the explanation is on\n"
                           "       standard error)\n"
                           "  130  cancelled with Ctrl-C\n");
    return text;
}

int dispatch(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << usageText();
        return ExitCode::usage;
    }
    const QString& first = args.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        out << usageText();
        return ExitCode::ok;
    }
    if (first == QLatin1String("--version")) {
        out << "quillfire " << QUILLFIRE_VERSION << '\n';
        return ExitCode::ok;
    }
    const Command* command = findCommand(first);
    if (!command) {
        err << "quillfire: unknown command '" << first << "'\n\n" << usageText();
        return ExitCode::usage;
    }
    const QStringList rest = args.mid(1);
    if (asksForHelp(rest)) {
        out << "Usage:\n" << commandHelp(*command);
        return ExitCode::ok;
    }
    return command->run(rest, out, err);
}
