// The catalogue of engine failures: what Godot 3 and 4 print when a game cannot run, the cause
// in a player's words, and the action that cures it. A new entry is one row in the table.
#include "app/FailureCatalogue.h"

#include <QRegularExpression>

#include <csignal>
#include <functional>
#include <vector>

namespace {

// In a cause, "{line}" stands for the line that matched (quoted), "{display}" for the display
// the game tried, "{signal}" for the signal named in the line.
struct Entry {
    QRegularExpression pattern;
    QString cause;
    FailureAction action;
};

const QString graphicsCause =
    QStringLiteral("The graphics driver cannot run the game's renderer: it lacks the OpenGL or "
                   "Vulkan version the game needs. Compatibility graphics use an older renderer "
                   "that runs on more computers.");
const QString graphicsEvenCompatible =
    QStringLiteral("The graphics driver cannot run the game, not even with compatibility "
                   "graphics. A newer graphics driver may help.");
const QString crashCause = QStringLiteral("The game crashed ({signal}).");

const std::vector<Entry>& catalogue() {
    static const std::vector<Entry> entries{
        {QRegularExpression(
             QStringLiteral("Can't open display|Could not open display|X11 Display is not "
                            "available|(?:Can't|Could not|Unable to|Failed to) connect to (?:a "
                            "|the )?Wayland display|wl_display_connect")),
         QStringLiteral("The game found no screen to draw on ({display}). Start Brennick from "
                        "within a desktop session."),
         FailureAction::None},
        // Godot 4 says "…version, switching to OpenGL 3." when it recovers by itself.
        {QRegularExpression(QStringLiteral(
             "does not support any of the supported OpenGL versions|Error initializing GLAD|"
             "Unable to create (?:a )?(?:rendering|OpenGL|GLX?|EGL) context|"
             "seem not to support the required (?:Vulkan|OpenGL)[^,]*version(?!.*switching)|"
             "Unable to initialize (?:Vulkan|OpenGL) video driver|"
             "Can't create a Vulkan instance|vkCreateInstance failed|"
             "Could not initialize (?:native )?OpenGL")),
         graphicsCause, FailureAction::CompatibilityGraphics},
        // Only the import's copies are missing (the files that use them fail in turn).
        {QRegularExpression(QStringLiteral("(?:Failed loading resource|Failed to load "
                                           "resource|Can't open|Cannot open file).*res://"
                                           "(?:\\.import|\\.godot/imported)/")),
         QStringLiteral("Files that the first-time setup makes are missing. Setting up again "
                        "makes them anew; nothing is downloaded."),
         FailureAction::SetUpAgain},
        {QRegularExpression(QStringLiteral("Failed loading resource|Failed to load resource|"
                                           "Failed loading scene|Can't open|Cannot open file|"
                                           "Can't run project: no main scene defined")),
         QStringLiteral("Some game files could not be loaded; try Reinstall in Settings."),
         FailureAction::Reinstall},
        {QRegularExpression(
             QStringLiteral("SCRIPT ERROR|Parse Error|Invalid call|Failed to load script")),
         QStringLiteral("The game stopped on an error in its own code: {line}. A newer version "
                        "of the game may fix it: Update the game in Settings."),
         FailureAction::None},
        {QRegularExpression(QStringLiteral("Program crashed with signal (\\d+)")), crashCause,
         FailureAction::None},
    };
    return entries;
}

// Sound never stops a game: the engine goes on without it.
bool isAboutSound(const QString& line) {
    static const QRegularExpression sound(QStringLiteral("ALSA|PulseAudio|audio driver"),
                                          QRegularExpression::CaseInsensitiveOption);
    return sound.match(line).hasMatch();
}

QString signalWords(int number) {
    static const std::vector<std::pair<int, QString>> names{
        {SIGSEGV, QStringLiteral("segmentation fault")},
        {SIGABRT, QStringLiteral("aborted")},
        {SIGBUS, QStringLiteral("bus error")},
        {SIGILL, QStringLiteral("illegal instruction")},
        {SIGFPE, QStringLiteral("arithmetic error")},
        {SIGKILL, QStringLiteral("killed")},
        {SIGTERM, QStringLiteral("terminated")}};
    for (const auto& [signal, words] : names)
        if (signal == number)
            return words + QStringLiteral(", signal %1").arg(number);
    return QStringLiteral("signal %1").arg(number);
}

QString displayWords(const QString& line) {
    const QByteArray x11 = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    if (!wayland.isEmpty() && (line.contains(QLatin1String("Wayland")) || x11.isEmpty()))
        return QStringLiteral("the Wayland display \"%1\" could not be opened")
            .arg(QString::fromLocal8Bit(wayland));
    if (!x11.isEmpty())
        return QStringLiteral("the display \"%1\" could not be opened")
            .arg(QString::fromLocal8Bit(x11));
    return QStringLiteral("DISPLAY is not set");
}

QString quoted(const QString& line) {
    constexpr qsizetype longest = 160;
    const QString text = line.trimmed();
    return QLatin1Char('"') + (text.size() > longest ? text.left(longest) + QChar(0x2026) : text) +
           QLatin1Char('"');
}

} // namespace

std::optional<Diagnosis> diagnose(const RunOutcome& outcome, const RunOptions& options) {
    for (const Entry& entry : catalogue()) {
        for (const QString& line : outcome.output) {
            const QRegularExpressionMatch match = entry.pattern.match(line);
            if (!match.hasMatch() || isAboutSound(line))
                continue;
            if (entry.action == FailureAction::CompatibilityGraphics &&
                options.compatibilityGraphics)
                return Diagnosis{graphicsEvenCompatible, FailureAction::None};
            QString cause = entry.cause;
            const auto fill = [&cause](QLatin1String name, const std::function<QString()>& words) {
                if (cause.contains(name))
                    cause.replace(name, words());
            };
            fill(QLatin1String("{line}"), [&] { return quoted(line); });
            fill(QLatin1String("{display}"), [&] { return displayWords(line); });
            fill(QLatin1String("{signal}"), [&] { return signalWords(match.captured(1).toInt()); });
            return Diagnosis{cause, entry.action};
        }
    }
    if (outcome.signalled)
        return Diagnosis{
            QString(crashCause).replace(QLatin1String("{signal}"), signalWords(outcome.exitCode)),
            FailureAction::None};
    return std::nullopt;
}
