// standin-godot: a stand-in for the Godot engine program, as far as the launcher
// relies on it. Tests (and end-to-end runs, zipped as an engine asset) use it
// instead of a real engine.
//
// Its role comes from the launcher's arguments:
//   --headless (--import | --editor) --quit --path P   Godot 4 import
//   --editor --path P                                  Godot 3 editor (imports on opening)
//   --path P (--fullscreen | --windowed) [--resolution WxH]   the game
// Anything else prints a complaint and exits with status 2.
//
// Every run appends its argument list, as one JSON array per line, to
// P/.standin-args.log, and writes its pid to P/.standin.pid once start-up is done
// (for the game: after its start-up output).
//
// The behaviour comes from P/.standin.ini ("key = value" lines, "#" comments,
// escapes \n \r \t \\ \xHH; surrounding spaces are dropped). Keys and defaults:
//   import-exit = 0           status when the import or editor ends by itself
//   import-seconds = 0        Godot 4: time the import takes
//   import-hang = false       Godot 4: never finish; only a signal ends it
//   import-cache = true       create the cache folder (.godot / .import); without
//                             it every imported copy is missing
//   import-sidecars = 3       assets imported: assets/spriteN.png with a sidecar
//                             assets/spriteN.png.import
//   import-destinations = 1   imported copies named by each sidecar
//   import-missing = 0        the first this many sidecars lack their first copy
//   editor-spread = 3         Godot 3: seconds over which the sidecars appear
//   editor-stay = true        Godot 3: stay open until terminated; false: exit
//                             with import-exit once all sidecars are written
//   game-output =             printed on standard output at start
//   game-errors =             printed on standard error after it
//   game-tail =               printed last, without a line end
//   game-seconds = 0          time the game stays up (SIGTERM ends it earlier)
//   game-rate = 0             lines "frame N drawn" printed per second meanwhile
//   game-grandchild = 0       seconds a child process keeps the output pipe open
//                             after the game ended (pid in P/.standin-grandchild.pid)
//   game-crash =              "segv" or "abrt": die by that signal at the end
//   game-exit = 0             exit status otherwise
#include "Behaviour.h"
#include "Roles.h"
#include "Runtime.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

void recordArguments(const QString& project, const QStringList& arguments) {
    QFile log(project + QStringLiteral("/.standin-args.log"));
    if (log.open(QIODevice::Append))
        log.write(
            QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact) +
            '\n');
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const qsizetype pathAt = arguments.indexOf(QStringLiteral("--path"));
    const QString project =
        pathAt >= 0 && pathAt + 1 < arguments.size() ? arguments[pathAt + 1] : QDir::currentPath();
    recordArguments(project, arguments);
    const Behaviour behaviour = Behaviour::load(project + QStringLiteral("/.standin.ini"));

    const auto has = [&](const char* option) { return arguments.contains(QLatin1String(option)); };
    if (has("--headless") && has("--quit") && (has("--import") || has("--editor")))
        return importHeadless(project, behaviour);
    if (has("--editor"))
        return openEditor(project, behaviour);
    if (has("--fullscreen") || has("--windowed"))
        return playGame(project, behaviour);
    runtime::printError("standin-godot: no role for these arguments\n");
    return 2;
}
