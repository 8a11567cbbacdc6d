#pragma once

#include "Behaviour.h"

#include <QString>

// What the stand-in does in each of the launcher's invocations; each returns
// the exit status (or never returns when the behaviour says so).
int importHeadless(const QString& project, const Behaviour& behaviour);
int openEditor(const QString& project, const Behaviour& behaviour);
int playGame(const QString& project, const Behaviour& behaviour);
