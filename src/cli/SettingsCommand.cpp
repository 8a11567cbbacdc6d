#include "cli/SettingsCommand.h"

#include "cli/Command.h"
#include "cli/CommandOptions.h"
#include "cli/ModelSession.h"

#include <QRegularExpression>

int runSettings(const QStringList& args, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    const QCommandLineOption fullscreen(QStringLiteral("fullscreen"));
    const QCommandLineOption windowed(QStringLiteral("windowed"));
    const QCommandLineOption resolution(QStringLiteral("resolution"), QString(),
                                        QStringLiteral("SIZE"));
    const QCommandLineOption graphics(QStringLiteral("graphics"), QString(),
                                      QStringLiteral("KIND"));
    parser.addOptions({fullscreen, windowed, resolution, graphics});
    if (!parseCommandOptions(parser, "settings", args, err))
        return ExitCode::usage;
    if (parser.isSet(fullscreen) && parser.isSet(windowed)) {
        err << "quillfire settings: choose either --fullscreen or --windowed\n";
        return ExitCode::usage;
    }
    const QString kind = parser.value(graphics);
    if (parser.isSet(graphics) && kind != QLatin1String("standard") &&
        kind != QLatin1String("compatibility")) {
        err << "quillfire settings: graphics are \"standard\" or \"compatibility\"\n";
        return ExitCode::usage;
    }
    QString size;
    if (parser.isSet(resolution)) {
        size = parser.value(resolution);
        static const QRegularExpression form(QStringLiteral("^[1-9][0-9]{2,4}x[1-9][0-9]{2,4}$"));
        if (size == QLatin1String("fit"))
            size.clear();
        else if (!form.match(size).hasMatch()) {
            err << "quillfire settings: a resolution is WIDTHxHEIGHT (like 1920x1080) or \"fit\"\n";
            return ExitCode::usage;
        }
    }

    ModelSession session(false);
    AppModel& model = session.model();
    if (parser.isSet(fullscreen) || parser.isSet(windowed))
        model.setFullscreen(parser.isSet(fullscreen));
    if (parser.isSet(resolution))
        model.setResolution(size);
    if (parser.isSet(graphics))
        model.setCompatibilityGraphics(kind == QLatin1String("compatibility"));
    if (!model.unsavedSettingsFile().isEmpty()) {
        err << "quillfire settings: could not save to " << model.unsavedSettingsFile()
            << "; check that it and its folder can be written.\n";
        return ExitCode::failure;
    }
    out << "Window: " << (model.fullscreen() ? "Fullscreen" : "Windowed") << '\n'
        << "Resolution: "
        << (model.resolution().isEmpty() ? QStringLiteral("Fit to this screen")
                                         : model.resolution())
        << '\n'
        << "Graphics: " << (model.compatibilityGraphics() ? "Compatibility" : "Standard") << '\n';
    return ExitCode::ok;
}
