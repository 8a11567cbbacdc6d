#pragma once

#include <QString>
#include <QUuid>

// One row of the controls table: a game action and the inputs bound to it.
struct ControlEntry {
    QUuid id;
    QString action;
    QString keys;
};
