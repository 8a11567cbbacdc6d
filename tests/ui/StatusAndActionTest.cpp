#include "support/Paths.h"
#include "ui/LogView.h"
#include "ui/WindowTest.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTcpServer>
#include <QTimer>

namespace {

using StatusAndAction = WindowTest;

TEST_F(StatusAndAction, EachPhaseShowsItsButtonTitleAndLines) {
    using K = Phase::Kind;
    // Phase, the one big button, title, and whether the needs text, the progress, the waiting
    // text and the download note show.
    const std::tuple<Phase, const char*, QString, bool, bool, bool, bool> cases[] = {
        {Phase::needs("The disk is full."), "playButton", "Needs something", true, 0, 0, 0},
        {K::NotDownloaded, "playButton", "Not downloaded", false, 0, 0, true},
        {K::Downloading, "cancelButton", "Downloading", false, true, 0, 0},
        {K::SettingUp, "cancelButton", "Setting up", false, true, 0, 0},
        {K::Ready, "playButton", "Ready", false, 0, 0, 0},
        {K::Starting, "stopButton", "Starting\u2026", false, 0, true, 0},
        {K::Playing, "stopButton", "Playing", false, 0, 0, 0},
    };
    probe().setStepText("Step 1 of 4 \u00b7 Downloading the game");
    probe().setDetailText("5 MB of 20 MB \u00b7 2 MB/s");
    for (const auto& [phase, button, title, needs, progress, waiting, note] : cases) {
        probe().setPhase(phase);
        for (const char* name : {"playButton", "cancelButton", "stopButton"})
            EXPECT_EQ(shown(name), qstrcmp(name, button) == 0) << title << name;
        EXPECT_TRUE(find(button)->isEnabled());
        EXPECT_EQ(text("phaseTitle"), title);
        EXPECT_EQ(shown("needsText"), needs) << title;
        EXPECT_EQ(text("needsText"), phase.text());
        EXPECT_EQ(shown("progressBar"), progress) << title;
        EXPECT_EQ(shown("detailText"), progress) << title;
        EXPECT_EQ(shown("waitingText"), waiting) << title;
        EXPECT_EQ(shown("downloadNote"), note) << title;
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

TEST_F(StatusAndAction, PlayWaitsDisabledWhileARunGoesOnAndCancelEndsIt) {
    QTcpServer silent; // takes connections and never answers
    silent.listen(QHostAddress::LocalHost);
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:" + QByteArray::number(silent.serverPort()));
    click("playButton");
    ASSERT_TRUE(testkit::eventually([&] { return shown("cancelButton"); }));
    probe().setPhase(Phase::Kind::Ready); // whatever it shows meanwhile, Play stays off
    EXPECT_FALSE(find("playButton")->isEnabled());
    probe().setPhase(Phase::Kind::Downloading);
    click("cancelButton");
    ASSERT_TRUE(testkit::eventually([&] { return !model().isWorking(); }));
    EXPECT_EQ(model().phase().kind(), Phase::Kind::NotDownloaded);
    EXPECT_TRUE(find("playButton")->isEnabled());
}

TEST_F(StatusAndAction, ShowsTheGamesFactsAndControlsOrWhatWillAppear) {
    const QString intro = "A time-trial Brennick made with Godot.";
    EXPECT_EQ(text("detailsTitle"), intro);
    GameInfo info;
    info.summary = "A time-trial shooter.";
    info.licenseName = "MIT License";
    info.copyrightLine = "Copyright (c) 2023 varnel";
    info.is3D = true;
    info.controls = {{QUuid::createUuid(), "Shoot", "Left mouse"},
                     {QUuid::createUuid(), "Jump", "Space"}};
    probe().setInfo(info);
    EXPECT_EQ(text("detailsTitle"), "A time-trial shooter.");
    EXPECT_EQ(text("detailsFacts"),
              "3D game \u00b7 Godot 3.5.3 \u00b7 MIT License \u00b7 Copyright (c) 2023 varnel");
    const auto* grid = static_cast<QGridLayout*>(find("controlsTable")->layout());
    EXPECT_EQ(static_cast<QLabel*>(grid->itemAtPosition(1, 1)->widget())->text(), "Space");
    EXPECT_TRUE(text("mouseHint").endsWith("Alt+Tab also switches away."));
    info = GameInfo();
    info.projectName = "Brennick";
    info.licenseName = "MIT License";
    probe().setInfo(info);
    EXPECT_EQ(text("detailsTitle"), "Brennick");
    EXPECT_EQ(text("detailsFacts"), "2D game \u00b7 Godot 3.5.3 \u00b7 MIT License");
    EXPECT_EQ(text("seeReadme"), "See README");
    EXPECT_FALSE(find("controlsTable"));
    probe().setInfo(std::nullopt);
    EXPECT_EQ(text("detailsTitle"), intro);
}

TEST_F(StatusAndAction, AFailureShowsItsHeadlineAndLinesCopyTakesBothAndSaveKeepsTheLog) {
    EXPECT_FALSE(find("failureView"));
    probe().setFailure(Failure{"The game closed after 2 seconds.", {"ERROR: no GPU", "exit"}});
    EXPECT_EQ(text("failureHeadline"), "The game closed after 2 seconds.");
    EXPECT_EQ(find<QPlainTextEdit>("failureLines")->toPlainText(), "ERROR: no GPU\nexit");
    EXPECT_FALSE(find("failureAction"));
    QGuiApplication::clipboard()->setText("something else");
    click("copyFailure");
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "The game closed after 2 seconds.\nERROR: no GPU\nexit");

    testkit::writeFile(QFileInfo(Paths::lastRunLog()).path(), "last-run.log", "the whole log\n");
    const QString saved = scratch() + "/handed-on.log";
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->selectFile(saved);
        static_cast<QDialog*>(dialog)->accept();
    });
    click("saveLog");
    EXPECT_EQ(testkit::readFile(saved), "the whole log\n");
    probe().setFailure(std::nullopt);
    EXPECT_TRUE(testkit::eventually([&] { return !find("failureView"); }));
}

TEST_F(StatusAndAction, AFailuresCureIsOnePressAway) {
    using A = FailureAction;
    testkit::writeFile(Paths::gameFolder(), ".setup2-done-3.5.3", "ok");
    const std::pair<A, QString> cures[] = {{A::CompatibilityGraphics,
                                            "Use compatibility graphics and play"},
                                           {A::SetUpAgain, "Set up again and play"},
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
    ASSERT_EQ(harness->prompts.asked.size(), 1);
    EXPECT_EQ(harness->prompts.asked[0].message, "Reinstall?");
}

TEST_F(StatusAndAction, TheLogShowsItsLast400LinesAndFollowsOnlyWhileScrolledToTheEnd) {
    const auto append = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            model().log().append(QString("line %1").arg(i));
    };
    const auto lines = [&] { return find<QPlainTextEdit>("logText")->toPlainText().split('\n'); };
    append(1, 1000);
    click("logButton");
    EXPECT_EQ(find<QPushButton>("logButton")->text(), "Hide log");
    EXPECT_EQ(lines().size(), 400);
    EXPECT_EQ(lines().first(), "line 601");
    append(1001, 4500); // past the store's own limit
    EXPECT_TRUE(testkit::eventually([&] { return lines().last() == "line 4500"; }));
    EXPECT_EQ(lines().first(), "line 4101");
    QScrollBar* bar = find<QPlainTextEdit>("logText")->verticalScrollBar();
    ASSERT_TRUE(testkit::eventually([&] { return bar->maximum() > 0; })); // laid out
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0); // the user scrolls up to read
    append(4501, 4510);
    find<LogView>("logView")->flush();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(lines().last(), "line 4510");
    model().log().clear();
    model().log().append("fresh");
    EXPECT_TRUE(testkit::eventually([&] { return lines() == QStringList{"fresh"}; }));
    click("logButton");
    EXPECT_FALSE(shown("logView"));
}

} // namespace
