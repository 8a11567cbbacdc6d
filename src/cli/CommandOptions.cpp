#include "cli/CommandOptions.h"

#include "cli/Command.h"

bool parseCommandOptions(QCommandLineParser& parser, const char* command, const QStringList& args,
                         QTextStream& err) {
    const QString name = QStringLiteral("quillfire ") + QLatin1String(command);
    if (parser.parse(QStringList{name} + args) && parser.positionalArguments().isEmpty())
        return true;
    const QString problem = parser.errorText().isEmpty()
                                ? QStringLiteral("unexpected argument '%1'")
                                      .arg(parser.positionalArguments().constFirst())
                                : parser.errorText();
    err << name << ": " << problem << "\n\n" << usageText();
    return false;
}
