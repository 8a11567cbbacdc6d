#include "testkit/SampleGame.h"

#include "patch/HipFireEdits.h"
#include "testkit/HttpTestServer.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

namespace testkit {

namespace {

QByteArray bytes(QLatin1StringView text) {
    return QByteArray(text.data(), text.size());
}

} // namespace

QByteArray gameZip(const QString& standin, const QString& features) {
    using namespace GamePatch::HipFire;
    QByteArray project = "config_version=4\n[application]\nconfig/name=\"Brennick\"\n"
                         "run/main_scene=\"res://Main.tscn\"\n";
    if (!features.isEmpty())
        project += "config/features=PoolStringArray( " + features.toUtf8() + " )\n";
    project += "[input]\nplayer_jump={\n\"events\": [ Object(InputEventKey,\"scancode\":32) ]\n}\n"
               "[layer_names]\n3d_physics/layer_1=\"world\"\n";
    QByteArray player = "extends KinematicBody\n";
    for (const Edit& edit : playerEdits)
        player += bytes(edit.anchor) + "\n";
    const QString top = sampleTop + QLatin1Char('/');
    using ziptest::Entry;
    return ziptest::zip({
        Entry::folder(top),
        Entry::file(top + QStringLiteral("project.godot"), project),
        Entry::file(top + QStringLiteral("README.md"), "# Brennick\n\nA time-trial shooter.\n"),
        Entry::file(top + QStringLiteral("LICENSE"), "MIT License\n\nCopyright (c) 2023 varnel\n"),
        Entry::file(top + QStringLiteral("Main.tscn"), "[node name=\"Main\" type=\"Spatial\"]\n"),
        Entry::file(top + QLatin1String(playerScript), player),
        Entry::file(top + QLatin1String(bulletScript),
                    "func shoot():\n" + bytes(bulletEdit.anchor)),
        Entry::file(top + QStringLiteral(".standin"),
                    "editor_gap=0.05\nimport_sidecars=2\n" + standin.toUtf8()),
    });
}

QByteArray engineZip(const EngineSpec& spec) {
    return ziptest::zip(
        {ziptest::Entry::file(spec.assetName().chopped(4), readFile(standinEngine()), 0755)},
        ziptest::Compression::Store);
}

void serveSampleGame(HttpTestServer& server, const QString& standin) {
    server.useAsHostingService();
    server.serveGameArchive(gameZip(standin));
    server.serveEngine(sampleEngine(), engineZip());
}

} // namespace testkit
