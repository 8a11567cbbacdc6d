#pragma once

#include <QString>

// One row of the controls table: a game action and the inputs bound to it.
struct ControlEntry {
    QString action;
    QString keys;
};
