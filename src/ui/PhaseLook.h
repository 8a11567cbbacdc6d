#pragma once

#include "app/Phase.h"
#include "ui/Symbol.h"

#include <QString>

// How the status block names a phase.
struct PhaseLook {
    QString title;
    Symbol symbol;
};

PhaseLook phaseLook(const Phase& phase);
