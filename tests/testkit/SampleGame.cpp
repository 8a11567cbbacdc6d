#include "testkit/SampleGame.h"

#include "patch/HipFireEdits.h"
#include "testkit/HttpTestServer.h"
#include "testkit/Standin.h"
#include "testkit/TestEnvironment.h"
#include "testkit/ZipBuilder.h"

namespace testkit {

QByteArray gameZip(const QString& standin, const QString& features) {
    using namespace GamePatch::HipFire;
    const auto bytes = [](QLatin1StringView text) { return QByteArray(text.data(), text.size()); };
    QByteArray player = "extends KinematicBody\n";
    for (const Edit& edit : playerEdits)
        player += bytes(edit.anchor) + "\n";
    const QString top = sampleTop + "/";
    using ziptest::Entry;
    return ziptest::zip({
        Entry::folder(top),
        Entry::file(top + "project.godot",
                    "config_version=4\n[application]\nconfig/name=\"Brennick\"\n"
                    "run/main_scene=\"res://Main.tscn\"\nconfig/features=PoolStringArray( " +
                        features.toUtf8() +
                        " )\n[input]\nplayer_jump={\n\"events\": [ "
                        "Object(InputEventKey,\"scancode\":32) ]\n}\n"),
        Entry::file(top + "README.md", "# Brennick\n\nA time-trial shooter.\n"),
        Entry::file(top + "LICENSE", "MIT License\n\nCopyright (c) 2023 varnel\n"),
        Entry::file(top + "Main.tscn", "[node name=\"Main\" type=\"Spatial\"]\n"),
        Entry::file(top + playerScript, player),
        Entry::file(top + bulletScript, "func shoot():\n" + bytes(bulletEdit.anchor)),
        Entry::file(top + ".standin", "editor_gap=0.05\nimport_sidecars=2\n" + standin.toUtf8()),
    });
}

QByteArray engineZip() {
    return ziptest::zip({ziptest::Entry::file(sampleEngine().assetName().chopped(4),
                                              readFile(standinEngine()), 0755)},
                        ziptest::Compression::Store);
}

void serveSampleGame(HttpTestServer& server, const QString& standin) {
    server.useAsHostingService();
    server.serveGameArchive(gameZip(standin));
    server.serveEngine(sampleEngine(), engineZip());
}

} // namespace testkit
