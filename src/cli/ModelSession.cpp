#include "cli/ModelSession.h"

#include "app/UserSettings.h"
#include "support/Leftovers.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// A terminal run still fits the game window to the screen when one is there.
std::optional<QSizeF> primaryScreenArea() {
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    const QScreen* screen = app ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen)
        return std::nullopt;
    return screen->availableGeometry().size().toSizeF();
}

} // namespace

ModelSession::ModelSession(bool assumeYes) : settings_(openUserSettings()), prompts_(assumeYes) {
    AppEnvironment env;
    env.settings = settings_.get();
    env.prompts = &prompts_;
    env.screenArea = primaryScreenArea;
    model_ = std::make_unique<AppModel>(std::move(env));
}

bool ModelSession::claimFolders(QTextStream& err) {
    if (lock_.tryLock()) {
        Leftovers::remove();
        return true;
    }
    const qint64 holder = lock_.holder();
    err << "Quillfire is already running"
        << (holder > 0 ? QStringLiteral(" (process %1)").arg(holder) : QString())
        << ". Close it, or wait until it has finished." << Qt::endl;
    return false;
}
