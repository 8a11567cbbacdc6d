#pragma once

#include "project/ControlEntry.h"
#include "project/InstalledVersion.h"

#include <QList>
#include <QString>

// What the launcher knows about the downloaded game; a snapshot read from disk.
struct GameInfo {
    QString projectDir = {};
    QString projectName = {};
    qint64 configVersion = 4;
    qint64 engineMajor = 3;
    QString engineVersion = QStringLiteral("3.5.3");
    bool usesCSharp = false;
    bool is3D = false;
    QString mainScene = {};
    QString summary = {};
    QString licenseName = {};
    QString copyrightLine = {};
    QList<ControlEntry> controls = {};
    // What the launcher fetched; absent for another folder, or a game fetched before it recorded.
    std::optional<InstalledVersion> installed = {};
};
