#pragma once

#include "engine/EngineSpec.h"

#include <QByteArray>
#include <QString>

namespace testkit {

class HttpTestServer;

// The engine the sample game needs.
inline EngineSpec sampleEngine() {
    return {3, QStringLiteral("3.5.3"), false};
}
inline const QString sampleTop = QStringLiteral("godot_brennick-main");

// A small Godot 3 game as its repository archive holds it (below `sampleTop`): project file,
// README, licence, main scene, the two scripts the hip-fire change edits, and the stand-in's
// behaviour (quick imports, then `standin`).
QByteArray gameZip(const QString& standin = {}, const QString& features = {});
// The stand-in engine zipped as the official Linux asset of `spec`.
QByteArray engineZip(const EngineSpec& spec = sampleEngine());
// Makes `server` the hosting service, serving that game and engine.
void serveSampleGame(HttpTestServer& server, const QString& standin = {});

} // namespace testkit
