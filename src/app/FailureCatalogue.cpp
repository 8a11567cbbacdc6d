// The catalogue of engine failures: what Godot 3 and 4 print when a game cannot run, the cause
// in a player's words, and the action that cures it. A new entry is one row in the table.
#include "app/FailureCatalogue.h"

#include <QRegularExpression>

#include <vector>

namespace {

// In a cause, "{line}" stands for the line that matched (quoted), "{display}" for the display
// the game tried. An empty cause marks the engine's crash line.
struct Entry {
    QRegularExpression pattern;
    QString cause;
    FailureAction action;
    bool fatal;
    QString commandLineCause = {}; // when the cause names a place in the window
};

const QString graphicsCause =
    QStringLiteral("The graphics driver cannot run the game's renderer: it lacks the OpenGL or "
                   "Vulkan version the game needs. Compatibility graphics use an older renderer "
                   "that runs on more computers.");
const QString graphicsEvenCompatible =
    QStringLiteral("The graphics driver cannot run the game, not even with compatibility "
                   "graphics. A newer graphics driver may help.");
const QString crashLine = QStringLiteral("Program crashed with signal (\\d+)");

const std::vector<Entry>& catalogue() {
    static const std::vector<Entry> entries{
        {QRegularExpression(
             QStringLiteral("Can't open display|Could not open display|X11 Display is not "
                            "available|(?:Can't|Could not|Unable to|Failed to) connect to (?:a "
                            "|the )?Wayland display|wl_display_connect")),
         QStringLiteral("The game found no screen to draw on ({display}). Start Brennick from "
                        "within a desktop session."),
         FailureAction::None, true},
        // Godot 4 says "…version, switching to OpenGL 3." when it recovers by itself.
        {QRegularExpression(QStringLiteral(
             "does not support any of the supported OpenGL versions|Error initializing GLAD|"
             "(?:Unable to|Can't) create (?:an? )?(?:rendering|OpenGL|GLX?|EGL) context|"
             "seem not to support the required (?:Vulkan|OpenGL)[^,]*version(?!.*switching)|"
             "Unable to initialize (?:Vulkan|OpenGL) video driver|"
             "Can't create a Vulkan instance|vkCreateInstance failed|"
             "Could not initialize (?:native )?OpenGL")),
         graphicsCause, FailureAction::CompatibilityGraphics, true},
        {QRegularExpression(crashLine), {}, FailureAction::None, true},
        // Only the import's copies are missing (the files that use them fail in turn).
        {QRegularExpression(QStringLiteral("(?:Failed loading resource|Failed to load "
                                           "resource|Can't open|Cannot open file).*res://"
                                           "(?:\\.import|\\.godot/imported)/")),
         QStringLiteral("Files that the first-time setup makes are missing. Setting up again "
                        "makes them anew; nothing is downloaded."),
         FailureAction::SetUpAgain, false},
        {QRegularExpression(QStringLiteral("Failed loading resource|Failed to load resource|"
                                           "Failed loading scene|Can't open|Cannot open file|"
                                           "Can't run project: no main scene defined")),
         QStringLiteral("Some game files could not be loaded; try Reinstall in Settings."),
         FailureAction::Reinstall, false, QStringLiteral("Some game files could not be loaded.")},
        {QRegularExpression(
             QStringLiteral("SCRIPT ERROR|Parse Error|Invalid call|Failed to load script")),
         QStringLiteral("The game stopped on an error in its own code: {line}. A newer version "
                        "of the game may fix it: Update the game in Settings."),
         FailureAction::Update, false,
         QStringLiteral("The game stopped on an error in its own code: {line}. A newer version "
                        "of the game may fix it.")},
    };
    return entries;
}

// Sound never stops a game: the engine goes on without it.
bool isAboutSound(const QString& line) {
    static const QRegularExpression sound(QStringLiteral("ALSA|PulseAudio|audio driver"),
                                          QRegularExpression::CaseInsensitiveOption);
    return sound.match(line).hasMatch();
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

// Godot 3 draws only through X11: a Wayland session serves it through XWayland, or not at all.
bool isWaylandWithoutX11(int engineMajor) {
    return engineMajor == 3 && qEnvironmentVariableIsEmpty("DISPLAY") &&
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString quoted(const QString& line) {
    constexpr qsizetype longest = 160;
    const QString text = line.trimmed();
    return QLatin1Char('"') + (text.size() > longest ? text.left(longest) + QChar(0x2026) : text) +
           QLatin1Char('"');
}

struct Found {
    const Entry* entry;
    QString line;
    QRegularExpressionMatch match;
};

// The first entry that `line` shows, if any.
std::optional<Found> find(const QString& line) {
    if (isAboutSound(line))
        return std::nullopt;
    for (const Entry& entry : catalogue())
        if (QRegularExpressionMatch match = entry.pattern.match(line); match.hasMatch())
            return Found{&entry, line, match};
    return std::nullopt;
}

Diagnosis diagnosis(const Found& found, const RunOutcome& outcome, const RunOptions& options) {
    const Entry& entry = *found.entry;
    if (entry.action == FailureAction::CompatibilityGraphics && options.compatibilityGraphics)
        return {graphicsEvenCompatible, graphicsEvenCompatible, FailureAction::None, true};
    if (entry.cause.contains(QLatin1String("{display}")) &&
        isWaylandWithoutX11(outcome.engineMajor)) {
        const QString cause = QStringLiteral(
            "The game found no screen to draw on: it is made with Godot 3, which needs an X11 "
            "display, and this Wayland session offers none. Installing XWayland (the xwayland "
            "package) gives it one.");
        return {cause, cause, FailureAction::None, true};
    }
    const auto filled = [&](QString cause) {
        if (cause.contains(QLatin1String("{line}")))
            cause.replace(QLatin1String("{line}"), quoted(found.line));
        if (cause.contains(QLatin1String("{display}")))
            cause.replace(QLatin1String("{display}"), displayWords(found.line));
        return cause;
    };
    const QString cause = filled(entry.cause);
    return {cause, entry.commandLineCause.isEmpty() ? cause : filled(entry.commandLineCause),
            entry.action, entry.fatal};
}

} // namespace

Judgement judge(const RunOutcome& outcome, const RunOptions& options) {
    std::optional<Found> fatal, error;
    std::optional<int> crashLine;
    for (const QString& line : outcome.output) {
        std::optional<Found> found = find(line);
        if (!found)
            continue;
        if (found->entry->cause.isEmpty() && !crashLine)
            crashLine = found->match.captured(1).toInt();
        std::optional<Found>& first = found->entry->fatal ? fatal : error;
        if (!first)
            first = std::move(found);
    }
    Judgement judged;
    judged.crashSignal = crashLine           ? crashLine
                         : outcome.signalled ? std::optional(outcome.exitCode)
                                             : std::nullopt;
    if (fatal && !fatal->entry->cause.isEmpty())
        judged.cause = diagnosis(*fatal, outcome, options);
    else if (!fatal && !judged.crashSignal && error)
        judged.cause = diagnosis(*error, outcome, options);
    return judged;
}
