#include "support/Paths.h"
#include "testkit/HttpTestServer.h"
#include "ui/AboutView.h"
#include "ui/SettingsView.h"
#include "ui/WindowTest.h"

#include <QComboBox>
#include <QSignalSpy>

namespace {

class Sheets : public WindowTest {
protected:
    // The sheet just opened (one closed before may still wait for its deletion).
    SettingsView* openSettings() {
        click("settingsButton");
        return window->findChildren<SettingsView*>().last();
    }
    template <typename T = QPushButton> static T* in(QWidget* sheet, const char* name) {
        return sheet->findChild<T*>(QLatin1String(name));
    }
};

TEST_F(Sheets, WindowOptionsWriteTheModelAndTheStoreAndFollowIt) {
    SettingsView* sheet = openSettings();
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(in(sheet, "windowedChoice")->isChecked());
    in(sheet, "fullscreenChoice")->click();
    EXPECT_TRUE(model().fullscreen());
    EXPECT_EQ(harness->settings.value("fullscreen").toBool(), true);
    EXPECT_FALSE(in(sheet, "windowedChoice")->isChecked());
    model().setFullscreen(false); // changes made elsewhere show at once
    EXPECT_TRUE(in(sheet, "windowedChoice")->isChecked());
    auto* combo = in<QComboBox>(sheet, "resolutionChoice");
    EXPECT_EQ(combo->count(), 5);
    EXPECT_EQ(combo->itemText(0), "Fit to this screen");
    emit combo->activated(combo->findText("1600x900"));
    EXPECT_EQ(harness->settings.value("resolution").toString(), "1600x900");
    emit combo->activated(0);
    EXPECT_EQ(model().resolution(), QString());
    model().setResolution("1920x1080");
    EXPECT_EQ(combo->currentText(), "1920x1080");
    model().setResolution("1366x768"); // set on the command line: one more entry
    EXPECT_EQ(combo->currentText(), "1366x768");
    EXPECT_EQ(combo->count(), 6);
    EXPECT_TRUE(in(sheet, "standardGraphicsChoice")->isChecked());
    in(sheet, "compatibilityChoice")->click();
    EXPECT_EQ(harness->settings.value("graphics").toString(), "compatibility");
    model().setCompatibilityGraphics(false);
    EXPECT_TRUE(in(sheet, "standardGraphicsChoice")->isChecked());
    EXPECT_EQ(harness->settings.value("graphics").toString(), "standard");
    QPointer<QWidget> alive(sheet);
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_TRUE(testkit::eventually([&] { return !alive; }));
}

TEST_F(Sheets, FolderAndMaintenanceButtons) {
    SettingsView* sheet = openSettings();
    EXPECT_FALSE(in(sheet, "showSavesButton")->isEnabled());
    probe().setHasSaves(true);
    EXPECT_TRUE(in(sheet, "showSavesButton")->isEnabled());
    in(sheet, "revealButton")->click();
    EXPECT_EQ(harness->revealer.revealed, QStringList{Paths::supportRoot()});
    in(sheet, "doneButton")->click();
    for (const auto& [button, question] : {std::pair{"reinstallButton", "Reinstall?"},
                                           std::pair{"removeButton", "Remove everything?"}}) {
        harness->prompts.asked.clear();
        bool sheetShownWhileAsking = true;
        harness->prompts.onAsk = [&] {
            const auto* sheet = window->findChild<SettingsView*>();
            sheetShownWhileAsking = sheet && sheet->isVisible();
        };
        in(openSettings(), button)->click(); // answered "no" by the script
        ASSERT_TRUE(testkit::eventually([&] { return harness->prompts.asked.size() == 1; }));
        EXPECT_EQ(harness->prompts.asked.first().message, question);
        EXPECT_FALSE(sheetShownWhileAsking) << "the sheet goes first";
    }
    harness->prompts.onAsk = nullptr;
    testkit::HttpTestServer server; // with no game: the update fails at once
    server.useAsHostingService();
    QSignalSpy finished(&model(), &AppModel::runFinished);
    in(openSettings(), "updateButton")->click();
    EXPECT_TRUE(model().isWorking());
    sheet = openSettings();
    EXPECT_FALSE(in(sheet, "reinstallButton")->isEnabled()) << "nothing that harms the run";
    EXPECT_TRUE(in(sheet, "revealButton")->isEnabled());
    ASSERT_TRUE(testkit::eventually([&] { return finished.size() == 1; }, 30s));
    EXPECT_EQ(model().phase().kind(), Phase::Kind::Needs);
    EXPECT_TRUE(in(sheet, "reinstallButton")->isEnabled()) << "back once the run is over";
}

TEST_F(Sheets, AboutNamesTheGamesAuthorAndLicenceOrFallsBack) {
    click("aboutButton");
    auto* about = window->findChild<AboutView*>();
    const auto line = [&](const char* name) { return in<QLabel>(about, name)->text(); };
    EXPECT_EQ(line("gameLine"), "Game: Brennick by varnel (the repository owner).");
    EXPECT_TRUE(line("licenceLine").startsWith("Licence: MIT License (project files); the game's"));
    GameInfo info;
    info.licenseName = "MIT License";
    probe().setInfo(info); // the open sheet follows the model
    EXPECT_EQ(line("gameLine"), "Game: Brennick by varnel (the repository owner).");
    info.copyrightLine = "Copyright (c) 2023 varnel";
    probe().setInfo(info);
    EXPECT_EQ(line("gameLine"), "Game: Brennick by Copyright (c) 2023 varnel.");
    EXPECT_EQ(line("licenceLine"), "Licence: MIT License. The game belongs to its author; this app "
                                   "only downloads and starts it.");
    EXPECT_EQ(AboutView::repositoryLink().url, QUrl("https://127.0.0.1/varnel/godot_brennick"));
    QPointer<QWidget> alive(about);
    QTest::keyClick(about, Qt::Key_Return);
    EXPECT_TRUE(testkit::eventually([&] { return !alive; }));
}

TEST_F(Sheets, QuittingAsksOnlyWhileTheGameRunsAndStopsItOnYes) {
    for (const Phase& phase : {Phase(Phase::Kind::Ready), Phase::needs("No.")}) {
        probe().setPhase(phase);
        window->show();
        EXPECT_TRUE(window->close());
    }
    EXPECT_TRUE(harness->prompts.asked.isEmpty());
    probe().setPhase(Phase::Kind::Playing);
    window->show();
    harness->prompts.answers = {false, true};
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(probe().stopRequested());
    ASSERT_EQ(harness->prompts.asked.size(), 1);
    EXPECT_EQ(harness->prompts.asked.first().acceptButton, "Quit and close the game");
    EXPECT_TRUE(window->mayQuit()); // the session ends first…
    EXPECT_TRUE(probe().stopRequested());
    EXPECT_TRUE(window->close()); // …then closes the window without asking again
    EXPECT_EQ(harness->prompts.asked.size(), 2);
}

} // namespace
