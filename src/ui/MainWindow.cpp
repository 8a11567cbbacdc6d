#include "ui/MainWindow.h"

#include "app/AppModel.h"
#include "ui/ContentView.h"

#include <QAction>
#include <QCloseEvent>

MainWindow::MainWindow(AppModel& model, QWidget* parent) : QMainWindow(parent), model_(model) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Quillfire"));
    setMinimumSize(minimumWindowSize);
    resize(minimumWindowSize);
    setCentralWidget(new ContentView(model_, this));

    auto* quit = new QAction(QStringLiteral("Quit"), this);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    addAction(quit);
    // A quit that was agreed to but did not happen (the session went on)
    // does not answer for a later game.
    connect(&model_, &AppModel::phaseChanged, this, [this] { quitAgreed_ = false; });
}

bool MainWindow::mayQuit() {
    // Once the user agreed (say when the session ends), closing while the game
    // winds down asks no more.
    if (!quitAgreed_)
        quitAgreed_ = model_.confirmQuit();
    return quitAgreed_;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (mayQuit())
        event->accept();
    else
        event->ignore();
}
