#include "ui/WindowApp.h"

#include "app/AppModel.h"
#include "support/InstanceLock.h"
#include "support/InterruptHandler.h"
#include "support/Leftovers.h"
#include "ui/AppIcon.h"
#include "ui/DialogPrompts.h"
#include "ui/FileManagerRevealer.h"
#include "ui/MainWindow.h"
#include "ui/WindowActivation.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSessionManager>
#include <QSettings>

namespace {

std::optional<QSizeF> primaryScreenArea() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return std::nullopt;
    return QSizeF(screen->availableGeometry().size());
}

} // namespace

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillfire"));
    QApplication::setApplicationName(QStringLiteral("Quillfire"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLFIRE_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quillfire.Quillfire"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quillfire"), AppIcon::icon()));

    InstanceLock lock;
    if (!lock.tryLock()) {
        if (WindowActivation::askOpenWindow())
            return 0;
        QMessageBox::information(nullptr, QStringLiteral("Quillfire"),
                                 QStringLiteral("Quillfire is already running in a terminal. "
                                                "Open it again once that has finished."));
        return 1;
    }
    WindowActivation activation;
    Leftovers::remove();

    QSettings settings;
    DialogPrompts prompts;
    FileManagerRevealer revealer;
    AppEnvironment environment;
    environment.settings = &settings;
    environment.prompts = &prompts;
    environment.revealer = &revealer;
    environment.screenArea = primaryScreenArea;
    AppModel model(std::move(environment));

    MainWindow window(model);
    QObject::connect(&activation, &WindowActivation::requested, &window, [&window] {
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.show();
        window.raise();
        window.activateWindow();
    });
    // Logging out asks the same question as closing the window.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager& session) {
                         if (session.allowsInteraction()) {
                             if (!window.mayQuit())
                                 session.cancel();
                             session.release();
                         }
                     });
    // Being told to end (a kill, the terminal closing, Ctrl-C there) ends the launcher
    // without the question; the game is stopped below like after Quit.
    InterruptHandler interrupts;
    QObject::connect(&interrupts, &InterruptHandler::interrupted, &app,
                     [] { QCoreApplication::exit(0); });
    window.show();
    model.checkForUpdate();
    const int status = QApplication::exec();
    // No engine outlives the launcher.
    model.shutdown();
    return status;
}
