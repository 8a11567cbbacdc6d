#include "support/Paths.h"
#include "ui/AboutView.h"
#include "ui/SettingsView.h"
#include "ui/WindowTest.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace {

GameInfo gameWith(const QString& licence, const QString& copyright) {
    GameInfo info;
    info.projectName = QStringLiteral("Brennick");
    info.licenseName = licence;
    info.copyrightLine = copyright;
    return info;
}

} // namespace

class Sheets : public WindowTest {
protected:
    SettingsView* openSettings() {
        find<QPushButton>("settingsButton")->click();
        return view().findChild<SettingsView*>();
    }
    AboutView* openAbout() {
        find<QPushButton>("aboutButton")->click();
        return view().findChild<AboutView*>();
    }
    template <typename T = QWidget> static T* in(QWidget* sheet, const char* name) {
        return sheet->findChild<T*>(QLatin1String(name));
    }
};

TEST_F(Sheets, SettingsIsAFixedWindowModalSheet) {
    SettingsView* sheet = openSettings();
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->size(), QSize(460, 340));
    EXPECT_EQ(sheet->minimumSize(), sheet->maximumSize());
    EXPECT_EQ(in<QLabel>(sheet, "sheetTitle")->text(), QStringLiteral("Settings"));
}

TEST_F(Sheets, WindowModeChoiceWritesTheModelAndTheStore) {
    SettingsView* sheet = openSettings();
    auto* windowed = in<QPushButton>(sheet, "windowedChoice");
    auto* fullscreen = in<QPushButton>(sheet, "fullscreenChoice");
    EXPECT_TRUE(windowed->isChecked());
    fullscreen->click();
    EXPECT_TRUE(model().fullscreen());
    EXPECT_EQ(harness().settings.value(QStringLiteral("fullscreen")).toBool(), true);
    EXPECT_FALSE(windowed->isChecked());
    windowed->click();
    EXPECT_FALSE(model().fullscreen());
    model().setFullscreen(true); // changes made elsewhere show at once
    EXPECT_TRUE(fullscreen->isChecked());
}

TEST_F(Sheets, ResolutionChoiceWritesTheModelAndTheStore) {
    SettingsView* sheet = openSettings();
    auto* combo = in<QComboBox>(sheet, "resolutionChoice");
    QStringList labels;
    for (int i = 0; i < combo->count(); ++i)
        labels << combo->itemText(i);
    EXPECT_EQ(labels, (QStringList{"Fit to this screen", "1280x720", "1600x900", "1920x1080",
                                   "2560x1440"}));
    EXPECT_EQ(combo->currentIndex(), 0);

    emit combo->activated(combo->findText(QStringLiteral("1600x900")));
    EXPECT_EQ(model().resolution(), QStringLiteral("1600x900"));
    EXPECT_EQ(harness().settings.value(QStringLiteral("resolution")).toString(),
              QStringLiteral("1600x900"));
    emit combo->activated(0);
    EXPECT_EQ(model().resolution(), QString());
    model().setResolution(QStringLiteral("1920x1080"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("1920x1080"));
}

TEST_F(Sheets, ShowSavesFollowsWhetherSavesExist) {
    SettingsView* sheet = openSettings();
    auto* saves = in<QPushButton>(sheet, "showSavesButton");
    EXPECT_FALSE(saves->isEnabled());
    probe().setHasSaves(true);
    EXPECT_TRUE(saves->isEnabled());
}

TEST_F(Sheets, RevealShowsTheLauncherFolderAndKeepsTheSheetOpen) {
    SettingsView* sheet = openSettings();
    auto* reveal = in<QPushButton>(sheet, "revealButton");
    EXPECT_EQ(reveal->text(), QStringLiteral("Show in File Manager"));
    reveal->click();
    EXPECT_EQ(harness().revealer.revealed, QStringList{Paths::supportRoot()});
    EXPECT_TRUE(sheet->isVisible());
}

TEST_F(Sheets, ReinstallAndRemoveCloseTheSheetBeforeAsking) {
    const struct {
        const char* button;
        QString question;
    } cases[] = {{"reinstallButton", QStringLiteral("Reinstall?")},
                 {"removeButton", QStringLiteral("Remove everything?")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        harness().prompts.asked.clear();
        bool sheetShownWhileAsking = true;
        harness().prompts.onAsk = [&] {
            const auto* sheet = view().findChild<SettingsView*>();
            sheetShownWhileAsking = sheet && sheet->isVisible();
        };
        SettingsView* sheet = openSettings();
        in<QPushButton>(sheet, c.button)->click(); // answered "no" by the script
        ASSERT_TRUE(eventually([&] { return harness().prompts.asked.size() == 1; }));
        EXPECT_EQ(harness().prompts.asked.first().message, c.question);
        EXPECT_FALSE(sheetShownWhileAsking);
        EXPECT_TRUE(eventually([&] { return !view().findChild<SettingsView*>(); }));
    }
}

TEST_F(Sheets, UpdateTheGameStartsADownloadWithoutPlayingAndCloses) {
    SettingsView* sheet = openSettings();
    auto* update = in<QPushButton>(sheet, "updateButton");
    EXPECT_EQ(update->toolTip(), QStringLiteral("Downloads the game again. Saved games are kept."));
    QSignalSpy finished(&model(), &AppModel::runFinished);
    update->click();
    EXPECT_TRUE(model().isWorking());
    EXPECT_TRUE(eventually([&] { return !view().findChild<SettingsView*>(); }));
    // The hosting service of the tests is a closed port: the download fails.
    ASSERT_TRUE(eventually([&] { return finished.size() == 1; }, 30000));
    EXPECT_EQ(model().phase().kind(), Phase::Kind::Needs);
}

TEST_F(Sheets, DoneReturnAndEscapeCloseTheSheets) {
    const auto closeBy = [&](QWidget* sheet, const std::function<void()>& action) {
        QPointer<QWidget> alive(sheet);
        action();
        EXPECT_TRUE(eventually([&] { return !alive; }));
    };
    SettingsView* settings = openSettings();
    closeBy(settings, [&] { in<QPushButton>(settings, "doneButton")->click(); });
    settings = openSettings();
    closeBy(settings, [&] { QTest::keyClick(settings, Qt::Key_Escape); });
    AboutView* about = openAbout();
    closeBy(about, [&] { QTest::keyClick(about, Qt::Key_Return); });
}

TEST_F(Sheets, AboutFallsBackToFixedTextsBeforeTheFirstDownload) {
    AboutView* about = openAbout();
    ASSERT_TRUE(about);
    EXPECT_EQ(about->size(), QSize(460, 320));
    EXPECT_EQ(in<QLabel>(about, "gameLine")->text(),
              QStringLiteral("Game: Brennick by varnel (the repository owner)."));
    EXPECT_EQ(
        in<QLabel>(about, "licenceLine")->text(),
        QStringLiteral("Licence: MIT License (project files); the game's art and sound files "
                       "have their own licences, see the repository.. The game belongs to its "
                       "author; this app only downloads and starts it."));
}

TEST_F(Sheets, AboutUsesTheGamesOwnLicenceAndCopyright) {
    const struct {
        GameInfo info;
        QString game;
        QString licence;
    } cases[] = {
        {gameWith(QStringLiteral("MIT License"), QStringLiteral("Copyright (c) 2023 varnel")),
         QStringLiteral("Game: Brennick by Copyright (c) 2023 varnel."),
         QStringLiteral("Licence: MIT License. The game belongs to its author; this app only "
                        "downloads and starts it.")},
        {gameWith(QStringLiteral("MIT License"), QString()),
         QStringLiteral("Game: Brennick by varnel (the repository owner)."),
         QStringLiteral("Licence: MIT License. The game belongs to its author; this app only "
                        "downloads and starts it.")},
        {gameWith(QString(), QString()),
         QStringLiteral("Game: Brennick by varnel (the repository owner)."),
         QStringLiteral("Licence: . The game belongs to its author; this app only downloads and "
                        "starts it.")},
    };
    AboutView* about = openAbout();
    for (const auto& c : cases) {
        probe().setInfo(c.info); // the open sheet follows the model
        EXPECT_EQ(in<QLabel>(about, "gameLine")->text(), c.game);
        EXPECT_EQ(in<QLabel>(about, "licenceLine")->text(), c.licence);
    }
}

TEST_F(Sheets, RepositoryLinkNamesTheHostingServicesHost) {
    // The tests point the hosting service at http://127.0.0.1:9.
    const AboutView::Link link = AboutView::repositoryLink();
    EXPECT_EQ(link.label, QStringLiteral("127.0.0.1/varnel/godot_brennick"));
    EXPECT_EQ(link.url, QUrl(QStringLiteral("https://127.0.0.1/varnel/godot_brennick")));

    qputenv("QUILLFIRE_HOSTING_URL", "https://github.com");
    EXPECT_EQ(AboutView::repositoryLink().label,
              QStringLiteral("github.com/varnel/godot_brennick"));
    qputenv("QUILLFIRE_HOSTING_URL", "not a web address");
    EXPECT_EQ(AboutView::repositoryLink().url, QUrl::fromLocalFile(QStringLiteral("/")));
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
}
