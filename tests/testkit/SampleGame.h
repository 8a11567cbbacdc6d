#pragma once

#include "engine/EngineSpec.h"

namespace testkit {

class HttpTestServer;

// The engine the sample game needs, and the top folder of its archive.
inline EngineSpec sampleEngine() {
    return {3, "3.5.3", false};
}
inline const QString sampleTop = "godot_brennick-main";

// A small Godot 3 game as its repository archive holds it: project file, README, licence, main
// scene, the two scripts the hip-fire change edits, and the stand-in's behaviour (quick imports,
// then `standin`).
QByteArray gameZip(const QString& standin = {}, const QString& features = {});
// The stand-in engine zipped as the official Linux asset of the sample engine.
QByteArray engineZip();
// Makes `server` the hosting service, serving that game and engine.
void serveSampleGame(HttpTestServer& server, const QString& standin = {});

} // namespace testkit
