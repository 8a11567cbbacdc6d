#include "support/Paths.h"
#include "ui/AboutView.h"
#include "ui/SettingsView.h"
#include "ui/WindowTest.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>

namespace {

class Sheets : public WindowTest {
protected:
    // The sheet just opened (one closed before may still wait for its deletion).
    SettingsView* openSettings() {
        click("settingsButton");
        return view().findChildren<SettingsView*>().last();
    }
    template <typename T = QPushButton> static T* in(QWidget* sheet, const char* name) {
        return sheet->findChild<T*>(QLatin1String(name));
    }
};

TEST_F(Sheets, WindowOptionsWriteTheModelAndTheStoreAndFollowIt) {
    SettingsView* sheet = openSettings();
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    auto* windowed = in(sheet, "windowedChoice");
    auto* fullscreen = in(sheet, "fullscreenChoice");
    EXPECT_TRUE(windowed->isChecked());
    fullscreen->click();
    EXPECT_TRUE(model().fullscreen());
    EXPECT_EQ(harness().settings.value("fullscreen").toBool(), true);
    EXPECT_FALSE(windowed->isChecked());
    model().setFullscreen(false); // changes made elsewhere show at once
    EXPECT_TRUE(windowed->isChecked());

    auto* combo = in<QComboBox>(sheet, "resolutionChoice");
    QStringList labels;
    for (int i = 0; i < combo->count(); ++i)
        labels << combo->itemText(i);
    EXPECT_EQ(labels, (QStringList{"Fit to this screen", "1280x720", "1600x900", "1920x1080",
                                   "2560x1440"}));
    emit combo->activated(combo->findText("1600x900"));
    EXPECT_EQ(harness().settings.value("resolution").toString(), "1600x900");
    emit combo->activated(0);
    EXPECT_EQ(model().resolution(), QString());
    model().setResolution("1920x1080");
    EXPECT_EQ(combo->currentText(), "1920x1080");
}

TEST_F(Sheets, FolderButtonsRevealAndFollowTheSaves) {
    SettingsView* sheet = openSettings();
    EXPECT_FALSE(in(sheet, "showSavesButton")->isEnabled());
    probe().setHasSaves(true);
    EXPECT_TRUE(in(sheet, "showSavesButton")->isEnabled());
    EXPECT_EQ(in(sheet, "revealButton")->text(), "Show in File Manager");
    in(sheet, "revealButton")->click();
    EXPECT_EQ(harness().revealer.revealed, QStringList{Paths::supportRoot()});
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(Sheets, MaintenanceClosesTheSheetFirstAndIsOffWhileARunGoesOn) {
    for (const auto& [button, question] : {std::pair{"reinstallButton", "Reinstall?"},
                                           std::pair{"removeButton", "Remove everything?"}}) {
        harness().prompts.asked.clear();
        bool sheetShownWhileAsking = true;
        harness().prompts.onAsk = [&] {
            const auto* sheet = view().findChild<SettingsView*>();
            sheetShownWhileAsking = sheet && sheet->isVisible();
        };
        in(openSettings(), button)->click(); // answered "no" by the script
        ASSERT_TRUE(testkit::eventually([&] { return harness().prompts.asked.size() == 1; }));
        EXPECT_EQ(harness().prompts.asked.first().message, question);
        EXPECT_FALSE(sheetShownWhileAsking) << button;
        EXPECT_TRUE(testkit::eventually([&] { return !view().findChild<SettingsView*>(); }));
    }
    harness().prompts.onAsk = nullptr;
    SettingsView* sheet = openSettings();
    QSignalSpy finished(&model(), &AppModel::runFinished);
    in(sheet, "updateButton")->click(); // the tests' hosting service is a closed port
    EXPECT_TRUE(model().isWorking());
    sheet = openSettings();
    EXPECT_FALSE(in(sheet, "reinstallButton")->isEnabled());
    EXPECT_TRUE(in(sheet, "revealButton")->isEnabled());
    ASSERT_TRUE(testkit::eventually([&] { return finished.size() == 1; }, 30s));
    EXPECT_EQ(model().phase().kind(), Phase::Kind::Needs);
    EXPECT_TRUE(in(sheet, "reinstallButton")->isEnabled()) << "back once the run is over";
}

TEST_F(Sheets, DoneReturnAndEscapeClose) {
    const auto closes = [&](QWidget* sheet, const std::function<void()>& action) {
        QPointer<QWidget> alive(sheet);
        action();
        return testkit::eventually([&] { return !alive; });
    };
    SettingsView* settings = openSettings();
    EXPECT_TRUE(closes(settings, [&] { in(settings, "doneButton")->click(); }));
    settings = openSettings();
    EXPECT_TRUE(closes(settings, [&] { QTest::keyClick(settings, Qt::Key_Escape); }));
    click("aboutButton");
    auto* about = view().findChild<AboutView*>();
    EXPECT_TRUE(closes(about, [&] { QTest::keyClick(about, Qt::Key_Return); }));
}

TEST_F(Sheets, AboutNamesTheGamesAuthorAndLicenceOrFallsBack) {
    click("aboutButton");
    auto* about = view().findChild<AboutView*>();
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
    // The tests point the hosting service at http://127.0.0.1:9.
    EXPECT_EQ(AboutView::repositoryLink().label, "127.0.0.1/varnel/godot_brennick");
    EXPECT_EQ(AboutView::repositoryLink().url, QUrl("https://127.0.0.1/varnel/godot_brennick"));
}

} // namespace
