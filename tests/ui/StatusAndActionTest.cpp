#include "ui/WindowTest.h"

#include <QLabel>
#include <QProgressBar>
#include <QTcpServer>

namespace {

using StatusAndAction = WindowTest;

TEST_F(StatusAndAction, EachPhaseShowsItsButtonTitleAndLines) {
    using K = Phase::Kind;
    // Phase, the one big button, title, and whether needs text, progress, waiting text and the
    // download note show.
    const std::tuple<Phase, const char*, QString, bool, bool, bool, bool> cases[] = {
        {Phase::needs("The disk is full."), "playButton", "Needs something", true, false, false,
         false},
        {K::NotDownloaded, "playButton", "Not downloaded", false, false, false, true},
        {K::Downloading, "cancelButton", "Downloading", false, true, false, false},
        {K::SettingUp, "cancelButton", "Setting up", false, true, false, false},
        {K::Ready, "playButton", "Ready", false, false, false, false},
        {K::Starting, "stopButton", "Starting\u2026", false, false, true, false},
        {K::Playing, "stopButton", "Playing", false, false, false, false},
    };
    probe().setStepText("Step 1 of 4 \u00b7 Downloading the game");
    probe().setDetailText("5 MB of 20 MB \u00b7 2 MB/s");
    for (const auto& [phase, button, title, needs, progress, waiting, note] : cases) {
        SCOPED_TRACE(title.toStdString());
        probe().setPhase(phase);
        for (const char* name : {"playButton", "cancelButton", "stopButton"})
            EXPECT_EQ(shown(name), qstrcmp(name, button) == 0) << name;
        EXPECT_TRUE(find(button)->isEnabled());
        EXPECT_EQ(find<QLabel>("phaseTitle")->text(), title);
        EXPECT_EQ(shown("needsText"), needs);
        EXPECT_EQ(find<QLabel>("needsText")->text(), phase.text());
        EXPECT_EQ(shown("progressBar"), progress);
        EXPECT_EQ(shown("detailText"), progress);
        EXPECT_EQ(shown("waitingText"), waiting);
        EXPECT_EQ(shown("downloadNote"), note);
    }
    click("stopButton");
    EXPECT_TRUE(probe().stopRequested());
}

TEST_F(StatusAndAction, ProgressBarIsIndeterminateUntilTheSizeIsKnown) {
    probe().setPhase(Phase::Kind::Downloading);
    auto* bar = find<QProgressBar>("progressBar");
    probe().setProgress(std::nullopt);
    EXPECT_EQ(bar->maximum(), 0);
    probe().setProgress(0.25);
    EXPECT_DOUBLE_EQ(double(bar->value()) / bar->maximum(), 0.25);
    probe().setProgress(1.4); // a server that sends more than it announced
    EXPECT_EQ(bar->value(), bar->maximum());
    probe().setDetailText({});
    EXPECT_FALSE(shown("detailText"));
}

TEST_F(StatusAndAction, PlayWaitsDisabledWhileARunGoesOnAndCancelEndsIt) {
    QTcpServer silent; // takes connections and never answers
    silent.listen(QHostAddress::LocalHost);
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:" + QByteArray::number(silent.serverPort()));
    click("playButton");
    ASSERT_TRUE(testkit::eventually([&] { return shown("cancelButton"); }));
    probe().setPhase(Phase::Kind::Ready); // whatever it shows meanwhile, Play stays off
    EXPECT_TRUE(shown("playButton"));
    EXPECT_FALSE(find("playButton")->isEnabled());
    probe().setPhase(Phase::Kind::Downloading);
    click("cancelButton");
    ASSERT_TRUE(testkit::eventually([&] { return !model().isWorking(); }));
    EXPECT_EQ(model().phase().kind(), Phase::Kind::NotDownloaded);
    EXPECT_TRUE(find("playButton")->isEnabled());
    qputenv("QUILLFIRE_HOSTING_URL", "http://127.0.0.1:9");
}

TEST_F(StatusAndAction, TabGoesFromTheBigButtonThroughFailureAndLogToTheBottomRow) {
    click("logButton");
    EXPECT_EQ(find<QPushButton>("logButton")->text(), "Hide log");
    probe().setFailure(Failure{"H", {"A"}});
    const QStringList expected{"playButton", "failureLines",   "copyFailure", "logText",
                               "logButton",  "settingsButton", "aboutButton"};
    QStringList order;
    QWidget* widget = find("playButton");
    do {
        if (expected.contains(widget->objectName()) && !order.contains(widget->objectName()))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != find("playButton"));
    EXPECT_EQ(order, expected);
    click("logButton");
    EXPECT_FALSE(shown("logView"));
}

} // namespace
