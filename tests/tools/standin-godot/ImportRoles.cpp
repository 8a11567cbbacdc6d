// The two import invocations: Godot 4's headless import, which quits when done,
// and Godot 3's editor, which imports on opening and then stays open.
#include "Roles.h"
#include "Runtime.h"

namespace {

struct ImportLayout {
    QString cacheFolder;   // ".godot" or ".import"
    QString destinations;  // where imported copies go, relative to the project
    QString copyExtension; // of those copies
};

const ImportLayout godot4{QStringLiteral(".godot"), QStringLiteral(".godot/imported"),
                          QStringLiteral("ctex")};
const ImportLayout godot3{QStringLiteral(".import"), QStringLiteral(".import"),
                          QStringLiteral("stex")};

// Imports asset `index`: writes its imported copies (leaving the first one
// absent when asked) and then its sidecar, as the engine does.
void importAsset(const QString& project, const ImportLayout& layout, const Behaviour& behaviour,
                 int index) {
    const QString asset = QStringLiteral("assets/sprite%1.png").arg(index);
    const bool cache = behaviour.flag("import-cache", true);
    const bool leaveOneMissing = index < behaviour.number("import-missing", 0);
    QStringList destinations;
    for (int copy = 0; copy < behaviour.number("import-destinations", 1); ++copy) {
        const QString destination = QStringLiteral("%1/sprite%2.png-%3.%4")
                                        .arg(layout.destinations)
                                        .arg(index)
                                        .arg(copy)
                                        .arg(layout.copyExtension);
        destinations << QStringLiteral("\"res://%1\"").arg(destination);
        if (cache && !(leaveOneMissing && copy == 0))
            runtime::writeFile(project + QLatin1Char('/') + destination, "imported");
    }
    runtime::writeFile(project + QLatin1Char('/') + asset, "png");
    const QString sidecar = QStringLiteral("[remap]\n\nimporter=\"texture\"\n\n[deps]\n\n"
                                           "source_file=\"res://%1\"\ndest_files=[ %2 ]\n")
                                .arg(asset, destinations.join(QStringLiteral(", ")));
    runtime::writeFile(project + QLatin1Char('/') + asset + QStringLiteral(".import"),
                       sidecar.toUtf8());
}

void startCache(const QString& project, const ImportLayout& layout, const Behaviour& behaviour) {
    if (behaviour.flag("import-cache", true))
        runtime::writeFile(
            project + QLatin1Char('/') + layout.cacheFolder + QStringLiteral("/.keep"), {});
}

} // namespace

int importHeadless(const QString& project, const Behaviour& behaviour) {
    runtime::print("Godot Engine (stand-in) - headless import\n");
    runtime::announce(project);
    if (behaviour.flag("import-hang", false))
        runtime::stayUntilTerminated();
    runtime::sleepSeconds(behaviour.seconds("import-seconds", 0));
    startCache(project, godot4, behaviour);
    for (int i = 0; i < behaviour.number("import-sidecars", 3); ++i)
        importAsset(project, godot4, behaviour, i);
    return behaviour.number("import-exit", 0);
}

int openEditor(const QString& project, const Behaviour& behaviour) {
    runtime::print("Godot Engine (stand-in) - editor\n");
    runtime::announce(project);
    startCache(project, godot3, behaviour);
    const int sidecars = behaviour.number("import-sidecars", 3);
    const double gap = sidecars > 0 ? behaviour.seconds("editor-spread", 3) / sidecars : 0;
    for (int i = 0; i < sidecars; ++i) {
        runtime::sleepSeconds(gap);
        importAsset(project, godot3, behaviour, i);
    }
    if (behaviour.flag("editor-stay", true))
        runtime::stayUntilTerminated();
    return behaviour.number("import-exit", 0);
}
