#include "ui/MainWindow.h"
#include "support/Paths.h"
#include "testkit/AppModelProbe.h"
#include "testkit/ModelHarness.h"
#include "testkit/TestEnvironment.h"
#include "ui/AboutView.h"
#include "ui/FileManagerRevealer.h"
#include "ui/LogView.h"
#include "ui/SettingsView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDBusConnection>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

namespace {

class Window : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        harness = std::make_unique<ModelHarness>(scratch() + "/settings.ini");
        window = std::make_unique<MainWindow>(model());
        window->show();
    }

    AppModel& model() { return *harness->model; }
    AppModelProbe probe() { return AppModelProbe(model()); }
    template <typename T = QWidget> T* find(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    bool shown(const char* name) const { return find(name) && find(name)->isVisible(); }
    QString text(const char* name) const { return find<QLabel>(name)->text(); }
    void click(const char* name) { find<QPushButton>(name)->click(); }
    // The settings dialog just opened (one closed before may still wait for its deletion).
    SettingsView* openSettings() {
        click("settingsButton");
        return window->findChildren<SettingsView*>().last();
    }
    template <typename T = QPushButton> static T* in(QWidget* dialog, const char* name) {
        return dialog->findChild<T*>(QLatin1String(name));
    }

    std::unique_ptr<ModelHarness> harness;
    std::unique_ptr<MainWindow> window;
};

TEST_F(Window, EachPhaseShowsItsOneButtonTitleAndLines) {
    using K = Phase::Kind;
    const struct {
        Phase phase;
        const char* button = "playButton";
        QString title;
        bool needs = false, progress = false, waiting = false, note = false;
    } rows[] = {
        {.phase = Phase::needs("No."), .title = "Needs something", .needs = true},
        {.phase = K::NotDownloaded, .title = "Not downloaded", .note = true},
        {.phase = K::Downloading, .button = "cancelButton", .title = "Downloading",
         .progress = true},
        {.phase = K::SettingUp, .button = "cancelButton", .title = "Setting up", .progress = true},
        {.phase = K::Ready, .title = "Ready"},
        {.phase = K::Starting, .button = "stopButton", .title = "Starting\u2026", .waiting = true},
        {.phase = K::Playing, .button = "stopButton", .title = "Playing"},
    };
    probe().setDetailText("5 MB of 20 MB \u00b7 2 MB/s");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title.toStdString());
        probe().setPhase(row.phase);
        for (const char* name : {"playButton", "cancelButton", "stopButton"})
            EXPECT_EQ(shown(name), qstrcmp(name, row.button) == 0) << name;
        EXPECT_EQ(text("phaseTitle"), row.title);
        EXPECT_EQ(shown("needsText"), row.needs);
        EXPECT_EQ(shown("progressBar"), row.progress);
        EXPECT_EQ(shown("detailText"), row.progress);
        EXPECT_EQ(shown("waitingText"), row.waiting);
        EXPECT_EQ(shown("downloadNote"), row.note);
    }
    click("stopButton");
    EXPECT_TRUE(probe().stopRequested());
    probe().setPhase(K::Downloading);
    auto* bar = find<QProgressBar>("progressBar");
    probe().setProgress(std::nullopt);
    EXPECT_EQ(bar->maximum(), 0) << "no size known: the bar only shows that work goes on";
    probe().setProgress(0.25);
    EXPECT_DOUBLE_EQ(double(bar->value()) / bar->maximum(), 0.25);
    probe().setProgress(1.4); // a server that sends more than it announced
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(Window, DetailsAndAboutShowTheGamesFacts) {
    click("aboutButton"); // the open dialog follows the model too
    const auto* author = in<QLabel>(window->findChild<AboutView*>(), "gameLine");
    probe().setInfo(GameInfo{.projectName = "Brennick", .licenseName = "MIT License"});
    EXPECT_EQ(text("detailsTitle"), "Brennick");
    EXPECT_EQ(text("detailsFacts"), "2D game \u00b7 Godot 3.5.3 \u00b7 MIT License");
    EXPECT_EQ(author->text(), "Game: Brennick by varnel (the repository owner).");
    probe().setInfo(GameInfo{.projectName = "Brennick", .is3D = true,
                             .summary = "A time-trial shooter.", .licenseName = "MIT License",
                             .copyrightLine = "Copyright (c) 2023 varnel",
                             .controls = {{"Shoot", "Left mouse"}, {"Jump", "Space"}},
                             .installed = InstalledVersion{QString(40, 'a'), "main",
                                                           QDateTime::currentDateTime(), ""}});
    EXPECT_EQ(text("detailsTitle"), "A time-trial shooter.");
    EXPECT_EQ(text("detailsFacts"), "3D game \u00b7 Godot 3.5.3 \u00b7 MIT License \u00b7 "
                                    "Copyright (c) 2023 varnel \u00b7 commit aaaaaaa, downloaded "
                                    "just now");
    const auto* grid = static_cast<QGridLayout*>(find("controlsTable")->layout());
    EXPECT_EQ(static_cast<QLabel*>(grid->itemAtPosition(1, 1)->widget())->text(), "Space");
    EXPECT_TRUE(text("mouseHint").endsWith("Alt+Tab also switches away."));
    EXPECT_EQ(author->text(), "Game: Brennick by Copyright (c) 2023 varnel.");
    EXPECT_EQ(AboutView::repositoryLink().url, QUrl("https://127.0.0.1/varnel/godot_brennick"));
    // A newer version is told, with the update one press away, only once a check said so.
    EXPECT_TRUE(find("updateNotice")->isHidden());
    probe().setUpdateAvailable(true);
    EXPECT_FALSE(find("updateNotice")->isHidden());
    click("updateNoticeButton");
    EXPECT_TRUE(model().isWorking());
    model().shutdown();
}

// Copy takes the headline and the lines; Save Log hands on the whole log; the cure is one press.
TEST_F(Window, AFailureShowsItsHeadlineLinesAndCure) {
    probe().setFailure(Failure{"The game closed after 2 seconds.", {"ERROR: no GPU", "exit"}});
    EXPECT_EQ(text("failureHeadline"), "The game closed after 2 seconds.");
    EXPECT_EQ(find<QPlainTextEdit>("failureLines")->toPlainText(), "ERROR: no GPU\nexit");
    click("copyFailure");
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "The game closed after 2 seconds.\nERROR: no GPU\nexit");
    testkit::writeFile(QFileInfo(Paths::lastRunLog()).path(), "last-run.log", "the whole log\n");
    const QString saved = scratch() + "/handed-on.log";
    testkit::writeFile(scratch(), "handed-on.log", "an earlier, longer log\n"); // replaced
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->selectFile(saved);
        dialog->setOption(QFileDialog::DontConfirmOverwrite); // as if the user had confirmed
        static_cast<QDialog*>(dialog)->accept();
    });
    QTimer closer; // a save that fails warns in a box that would wait for a click
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->reject();
    });
    closer.start(50);
    click("saveLog");
    EXPECT_EQ(testkit::readFile(saved), "the whole log\n");

    using A = FailureAction;
    testkit::writeFile(Paths::gameFolder(), ".setup2-done-3.5.3", "ok");
    const std::pair<A, QString> cures[] = {
        {A::CompatibilityGraphics, "Use compatibility graphics and play"},
        {A::SetUpAgain, "Set up again and play"}, {A::Repair, "Repair Godot and play"},
        {A::Reinstall, "Reinstall\u2026"}};
    for (const auto& [action, title] : cures) {
        probe().setFailure(Failure{"Cause.", {}, action});
        ASSERT_TRUE(testkit::eventually([&] { return find<QPushButton>("failureAction"); }));
        EXPECT_EQ(find<QPushButton>("failureAction")->text(), title);
        click("failureAction");
        EXPECT_EQ(model().isWorking(), action != A::Reinstall) << title.toStdString();
        model().shutdown();
        ASSERT_TRUE(testkit::eventually([&] { return !model().isWorking(); }));
    }
    EXPECT_TRUE(model().compatibilityGraphics());
    EXPECT_FALSE(QFileInfo::exists(Paths::gameFolder() + "/.setup2-done-3.5.3"));
    EXPECT_EQ(harness->prompts.asked.size(), 1) << "Reinstall asks first";
    probe().setFailure(std::nullopt);
    EXPECT_TRUE(testkit::eventually([&] { return !find("failureView"); }));
}

TEST_F(Window, TheLogShowsItsLast400LinesAndFollowsOnlyWhileScrolledToTheEnd) {
    const auto lines = [&] { return find<QPlainTextEdit>("logText")->toPlainText().split('\n'); };
    for (int i = 1; i <= 1000; ++i)
        model().log().append(QString("line %1").arg(i));
    click("logButton");
    EXPECT_EQ(lines().first(), "line 601");
    QScrollBar* bar = find<QPlainTextEdit>("logText")->verticalScrollBar();
    ASSERT_TRUE(testkit::eventually([&] { return bar->maximum() > 0; })); // laid out
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0); // the user scrolls up to read
    model().log().append("line 1001");
    find<LogView>("logView")->flush();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(lines().last(), "line 1001");
    model().log().clear();
    model().log().append("fresh");
    EXPECT_TRUE(testkit::eventually([&] { return lines() == QStringList{"fresh"}; }));
}

// Options write the model and the store and follow them, or say that the store refused them.
// Questions come once the dialog has gone; while a run goes on, Play and maintenance stay off.
TEST_F(Window, TheSettingsDialog) {
    SettingsView* dialog = openSettings();
    in(dialog, "fullscreenChoice")->click();
    EXPECT_EQ(harness->settings.value("fullscreen").toBool(), true);
    auto* combo = in<QComboBox>(dialog, "resolutionChoice");
    emit combo->activated(combo->findText("1600x900"));
    EXPECT_EQ(harness->settings.value("resolution").toString(), "1600x900");
    emit combo->activated(combo->findText("Fit to this screen"));
    EXPECT_EQ(model().resolution(), QString());
    model().setResolution("1366x768"); // set on the command line: one more entry
    EXPECT_EQ(combo->currentText(), "1366x768");
    EXPECT_EQ(combo->count(), 6);
    in(dialog, "compatibilityChoice")->click();
    EXPECT_EQ(harness->settings.value("graphics").toString(), "compatibility");
    model().setCompatibilityGraphics(false); // changes made elsewhere show at once
    EXPECT_TRUE(in(dialog, "standardGraphicsChoice")->isChecked());
    EXPECT_EQ(harness->settings.value("graphics").toString(), "standard");
    const auto* unsaved = in<QLabel>(dialog, "unsavedSettingsNote");
    EXPECT_FALSE(unsaved->isVisible());
    QFile::remove(scratch() + "/settings.ini"); // a folder in its place cannot be written
    QDir().mkpath(scratch() + "/settings.ini");
    in(dialog, "windowedChoice")->click();
    EXPECT_TRUE(unsaved->isVisible() && unsaved->text().contains(scratch() + "/settings.ini;"));
    EXPECT_FALSE(in(dialog, "showSavesButton")->isEnabled());
    probe().setHasSaves(true);
    EXPECT_TRUE(in(dialog, "showSavesButton")->isEnabled());
    in(dialog, "revealButton")->click();
    EXPECT_EQ(harness->revealer.revealed, QStringList{Paths::supportRoot()});
    in(dialog, "doneButton")->click();
    QStringList asked; // with " over a dialog" when a dialog still showed
    harness->prompts.onAsk = [&] {
        asked << harness->prompts.asked.last().message +
                     (QApplication::activeModalWidget() ? " over a dialog" : "");
    };
    for (const char* button : {"reinstallButton", "removeButton"})
        in(openSettings(), button)->click(); // answered "no" by the script
    ASSERT_TRUE(testkit::eventually([&] { return asked.size() == 2; }));
    EXPECT_EQ(asked, (QStringList{"Reinstall?", "Remove everything?"}));

    QTcpServer silent; // takes connections and never answers
    silent.listen(QHostAddress::LocalHost);
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:" + QByteArray::number(silent.serverPort()));
    click("playButton");
    ASSERT_TRUE(testkit::eventually([&] { return shown("cancelButton"); }));
    dialog = openSettings();
    EXPECT_FALSE(in(dialog, "reinstallButton")->isEnabled()) << "nothing that harms the run";
    EXPECT_FALSE(find("playButton")->isEnabled());
    click("cancelButton");
    ASSERT_TRUE(testkit::eventually([&] { return !model().isWorking(); }));
    EXPECT_TRUE(find("playButton")->isEnabled());
    EXPECT_TRUE(in(dialog, "reinstallButton")->isEnabled());
    in(dialog, "updateButton")->click();
    EXPECT_TRUE(model().isWorking()) << "Update starts a run";
}

TEST_F(Window, QuittingAsksOnlyWhileTheGameRunsAndStopsItOnYes) {
    EXPECT_TRUE(window->close()) << "nothing runs: no question";
    probe().setPhase(Phase::Kind::Playing);
    window->show();
    harness->prompts.answers = {false, true};
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(probe().stopRequested());
    EXPECT_TRUE(window->mayQuit()); // the session ends first…
    EXPECT_TRUE(probe().stopRequested());
    EXPECT_TRUE(window->close()); // …then closes the window without asking again
    EXPECT_EQ(harness->prompts.asked.size(), 2);
}

// On a message bus of the test's own, so that no real file manager is ever reached: where none
// answers, the folder is opened instead.
TEST(FileManagerRevealer, FallsBackWhenNoFileManagerAnswersOnTheBus) {
    QProcess daemon;
    testkit::endWithTest(daemon);
    daemon.start("dbus-daemon",
                 {"--session", "--nofork", "--print-address=1", "--address=unix:tmpdir=/tmp"});
    ASSERT_TRUE(daemon.waitForReadyRead(10'000)) << "dbus-daemon could not be started";
    const QString address = QString::fromUtf8(daemon.readLine().trimmed());
    QList<QUrl> opened;
    FileManagerRevealer revealer([&](const QUrl& url) { opened.append(url); },
                                 QDBusConnection::connectToBus(address, "launcher"));
    revealer.reveal("/tmp/Brennick Saves");
    ASSERT_TRUE(testkit::eventually([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile("/tmp/Brennick Saves")});
}

} // namespace
