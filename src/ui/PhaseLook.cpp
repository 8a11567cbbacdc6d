#include "ui/PhaseLook.h"

PhaseLook phaseLook(const Phase& phase) {
    switch (phase.kind()) {
    case Phase::Kind::Needs:
        return {QStringLiteral("Needs something"), Symbol::Warning};
    case Phase::Kind::NotDownloaded:
        return {QStringLiteral("Not downloaded"), Symbol::Download};
    case Phase::Kind::Downloading:
        return {QStringLiteral("Downloading"), Symbol::Downloading};
    case Phase::Kind::SettingUp:
        return {QStringLiteral("Setting up"), Symbol::SettingUp};
    case Phase::Kind::Ready:
        return {QStringLiteral("Ready"), Symbol::Ready};
    case Phase::Kind::Starting:
        return {QStringLiteral("Starting\u2026"), Symbol::Waiting};
    case Phase::Kind::Playing:
        return {QStringLiteral("Playing"), Symbol::Playing};
    }
    return {QString(), Symbol::Warning};
}
