#pragma once

#include "engine/EngineSpec.h"
#include "patch/HipFireEdits.h"
#include "testkit/HttpTestServer.h"
#include "testkit/Standin.h"
#include "testkit/ZipBuilder.h"

namespace testkit {

// The engine the sample game needs, and the top folder of its archive.
inline EngineSpec sampleEngine() {
    return {3, "3.5.3", false};
}
inline const QString sampleTop = "godot_brennick-main";

// A small Godot 3 game as its repository archive holds it: project file, README, licence, main
// scene, the two scripts the hip-fire change edits, and the stand-in's behaviour (quick imports,
// then `standin`).
inline QByteArray gameZip(const QString& standin = {}, const QString& features = {}) {
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

// An engine program (the stand-in unless named) zipped as the official Linux asset of `spec`.
inline QByteArray engineZip(const QString& program = standinEngine(),
                            const EngineSpec& spec = sampleEngine()) {
    const auto entry = ziptest::Entry::file(spec.assetName().chopped(4), readFile(program), 0755);
    return ziptest::zip({entry}, ziptest::Compression::Store);
}

// The files of `folder` as the game's repository archive, with `from` replaced by `to` in each.
inline QByteArray folderZip(const QString& folder, const QByteArray& from, const QByteArray& to) {
    QList<ziptest::Entry> entries{ziptest::Entry::folder(sampleTop + "/")};
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files))
        entries << ziptest::Entry::file(sampleTop + "/" + file.fileName(),
                                        readFile(file.filePath()).replace(from, to));
    return ziptest::zip(entries);
}

// `zip` as the hosting service serves a branch: its commit in the archive's comment.
inline const QByteArray sampleCommit = "1a2b3c4d5e6f7a8b9c0d1a2b3c4d5e6f7a8b9c0d";
inline QByteArray withCommit(QByteArray zip, const QByteArray& commit = sampleCommit) {
    zip[zip.size() - 2] = char(commit.size()); // the end record's comment length
    return zip + commit;
}

// Makes `server` the hosting service, serving that game and engine.
inline void serveSampleGame(HttpTestServer& server, const QString& standin = {}) {
    server.useAsHostingService();
    server.serveGameArchive(withCommit(gameZip(standin)));
    server.serveEngine(sampleEngine(), engineZip());
}

} // namespace testkit
