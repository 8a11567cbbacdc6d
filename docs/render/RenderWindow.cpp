// Renders the window in each of its states to PNG files, offscreen, so that
// its look can be checked by eye:   render_window <output folder>

#include "app/OutcomeExplanation.h"
#include "support/Paths.h"
#include "testkit/AppModelProbe.h"
#include "testkit/ModelHarness.h"
#include "testkit/TestEnvironment.h"
#include "ui/AboutView.h"
#include "ui/ContentView.h"
#include "ui/MainWindow.h"
#include "ui/SettingsView.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTextStream>

#include <functional>

namespace {

GameInfo sampleGame() {
    GameInfo info;
    info.projectName = QStringLiteral("Brennick");
    info.summary = QStringLiteral("A time-trial shooter: clear each course of targets as fast as "
                                  "you can.");
    info.is3D = true;
    info.engineVersion = QStringLiteral("3.5.3");
    info.licenseName = QStringLiteral("MIT License");
    info.copyrightLine = QStringLiteral("Copyright (c) 2023 varnel");
    info.installed = InstalledVersion{QStringLiteral("1a2b3c4d5e6f7a8b9c0d1a2b3c4d5e6f7a8b9c0d"),
                                      QStringLiteral("main"),
                                      QDateTime::currentDateTimeUtc().addDays(-3), {}};
    const QStringList rows[] = {
        {QStringLiteral("Move"), QStringLiteral("W, A, S, D")},
        {QStringLiteral("Jump"), QStringLiteral("Space")},
        {QStringLiteral("Shoot"), QStringLiteral("Left mouse button")},
        {QStringLiteral("Aim"), QStringLiteral("Right mouse button")},
        {QStringLiteral("Restart course"), QStringLiteral("R, Start (gamepad)")},
        {QStringLiteral("Cancel"), QStringLiteral("Escape")},
    };
    for (const QStringList& row : rows)
        info.controls.append({row[0], row[1]});
    return info;
}

// What Godot 3 prints on a graphics driver that offers only OpenGL 2.1, explained.
Failure sampleFailure() {
    RunOutcome outcome{
        255,
        0.4,
        false,
        {QStringLiteral("Godot Engine v3.5.3.stable.official - https://godotengine.org"),
         QStringLiteral("ERROR: initialize: Condition \"ctxErrorOccurred || "
                        "!p->glx_context\" is true. Returned: ERR_UNCONFIGURED"),
         QStringLiteral("   At: platform/x11/context_gl_x11.cpp:190."),
         QStringLiteral("ERROR: is_viable: Error initializing GLAD"),
         QStringLiteral("   At: drivers/gles3/rasterizer_gles3.cpp:141."),
         QStringLiteral("Your video card driver does not support any of the "
                        "supported OpenGL versions."),
         QStringLiteral("Please update your drivers or if you have a very old or "
                        "integrated GPU upgrade it.")}};
    return explainOutcome(outcome, {});
}

struct State {
    QString name;
    std::function<void(AppModel&, AppModelProbe&)> apply;
    std::function<QWidget*(ContentView&)> dialog; // none for the window alone
};

QList<State> states() {
    const auto stepOne = QStringLiteral("Step 1 of 4 \u00b7 Downloading the game");
    return {
        {QStringLiteral("not-downloaded"), [](AppModel&, AppModelProbe&) {}, {}},
        {QStringLiteral("downloading-known"),
         [stepOne](AppModel&, AppModelProbe& p) {
             p.setPhase(Phase::Kind::Downloading);
             p.setStepText(stepOne);
             p.setProgress(0.42);
             p.setDetailText(QStringLiteral("12.6 MB of 30 MB \u00b7 2.1 MB/s"));
         },
         {}},
        {QStringLiteral("downloading-unknown"),
         [stepOne](AppModel&, AppModelProbe& p) {
             p.setPhase(Phase::Kind::Downloading);
             p.setStepText(stepOne);
             p.setProgress(std::nullopt);
             p.setDetailText(QStringLiteral("5.2 MB \u00b7 1.9 MB/s"));
         },
         {}},
        {QStringLiteral("setting-up"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::SettingUp);
             p.setStepText(QStringLiteral(
                 "Step 3 of 4 \u00b7 First-time setup, this can take a minute or more"));
             p.setProgress(std::nullopt);
             p.setDetailText(QStringLiteral(
                 "Godot is preparing the game's files. A Godot window may appear briefly."));
         },
         {}},
        {QStringLiteral("ready"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Ready);
             p.setUpdateAvailable(true);
         },
         {}},
        {QStringLiteral("starting"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Starting);
         },
         {}},
        {QStringLiteral("playing"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Playing);
         },
         {}},
        {QStringLiteral("needs"),
         [](AppModel&, AppModelProbe& p) {
             p.setPhase(Phase::needs(QStringLiteral(
                 "The game could not be downloaded: the server answered 503 (Service "
                 "Unavailable). Check your connection and press Play again.")));
         },
         {}},
        {QStringLiteral("failure"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Ready);
             p.setFailure(sampleFailure());
         },
         {}},
        {QStringLiteral("log-open"),
         [](AppModel& model, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Ready);
             for (int i = 1; i <= 60; ++i)
                 model.log().append(
                     QStringLiteral("Import: res://levels/course_%1.tscn (%2 resources)")
                         .arg(i, 2, 10, QLatin1Char('0'))
                         .arg(i * 7));
             model.log().append(QStringLiteral("Game closed normally."));
             model.setShowLog(true);
         },
         {}},
        {QStringLiteral("settings"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Ready);
             p.setHasSaves(true);
             QDir().mkpath(Paths::previousGameFolder()); // an update to go back from
         },
         [](ContentView& view) -> QWidget* {
             view.openSettings();
             return view.findChild<SettingsView*>();
         }},
        {QStringLiteral("about"),
         [](AppModel&, AppModelProbe& p) {
             p.setInfo(sampleGame());
             p.setPhase(Phase::Kind::Ready);
         },
         [](ContentView& view) -> QWidget* {
             view.openAbout();
             return view.findChild<AboutView*>();
         }},
    };
}

// A dialog shows at the top of the window, which is dimmed behind it.
QImage withDialog(const QImage& window, QWidget* dialog) {
    QImage result = window;
    const QPixmap dialogPicture = dialog->grab();
    QPainter painter(&result);
    painter.fillRect(result.rect(), QColor(0, 0, 0, 70));
    const qreal ratio = result.devicePixelRatio();
    const int left = qRound((result.width() / ratio - dialogPicture.width()) / 2);
    painter.drawPixmap(left, 0, dialogPicture);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawRect(QRect(left, -1, dialogPicture.width() - 1, dialogPicture.height()));
    return result;
}

bool render(const State& state, QSize size, const QString& folder, const QString& settingsFile) {
    ModelHarness harness(settingsFile);
    AppModel& model = *harness.model;
    AppModelProbe probe(model);
    MainWindow window(model);
    window.resize(size);
    window.show();
    state.apply(model, probe);
    QApplication::processEvents();
    QWidget* dialog = state.dialog ? state.dialog(*window.findChild<ContentView*>()) : nullptr;
    QApplication::processEvents();
    QImage picture = window.grab().toImage();
    if (dialog)
        picture = withDialog(picture, dialog);
    const QString file = QStringLiteral("%1/%2-%3x%4.png")
                             .arg(folder, state.name)
                             .arg(size.width())
                             .arg(size.height());
    return picture.save(file);
}

} // namespace

int main(int argc, char** argv) {
    testkit::isolateProcess();
    // Only the about dialog's link shows the address; nothing is downloaded.
    qputenv("QUILLFIRE_HOSTING_URL", "https://github.com");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: render_window <output folder>\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    const QString settingsFile = QDir::temp().filePath(QStringLiteral("render-settings.ini"));
    for (const State& state : states()) {
        for (const QSize size : {MainWindow::minimumWindowSize, QSize(900, 1000)}) {
            if (!render(state, size, folder, settingsFile)) {
                err << "cannot write the picture of " << state.name << "\n";
                return 1;
            }
        }
    }
    return 0;
}
