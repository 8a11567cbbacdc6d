#include "ui/WindowTest.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

struct PhaseCase {
    Phase phase;
    const char* button; // the one big button shown
    QString title;
    bool needsText;
    bool progressBar;
    bool waitingText;
    bool downloadNote;
};

const PhaseCase phaseCases[] = {
    {Phase::needs(QStringLiteral("The disk is full.")), "playButton",
     QStringLiteral("Needs something"), true, false, false, false},
    {Phase::Kind::NotDownloaded, "playButton", QStringLiteral("Not downloaded"), false, false,
     false, true},
    {Phase::Kind::Downloading, "cancelButton", QStringLiteral("Downloading"), false, true, false,
     false},
    {Phase::Kind::SettingUp, "cancelButton", QStringLiteral("Setting up"), false, true, false,
     false},
    {Phase::Kind::Ready, "playButton", QStringLiteral("Ready"), false, false, false, false},
    {Phase::Kind::Starting, "stopButton", QStringLiteral("Starting\u2026"), false, false, true,
     false},
    {Phase::Kind::Playing, "stopButton", QStringLiteral("Playing"), false, false, false, false},
};

} // namespace

class StatusAndAction : public WindowTest {};

TEST_F(StatusAndAction, EachPhaseShowsItsButtonTitleAndLines) {
    probe().setStepText(QStringLiteral("Step 1 of 4 \u00b7 Downloading the game"));
    probe().setDetailText(QStringLiteral("5 MB of 20 MB \u00b7 2 MB/s"));
    for (const PhaseCase& c : phaseCases) {
        SCOPED_TRACE(c.title.toStdString());
        probe().setPhase(c.phase);
        for (const char* button : {"playButton", "cancelButton", "stopButton"})
            EXPECT_EQ(shown(button), qstrcmp(button, c.button) == 0) << button;
        EXPECT_TRUE(find(c.button)->isEnabled());
        EXPECT_EQ(find<QLabel>("phaseTitle")->text(), c.title);
        EXPECT_FALSE(find<QLabel>("phaseSymbol")->pixmap().isNull());
        EXPECT_EQ(shown("needsText"), c.needsText);
        EXPECT_TRUE(shown("stepText"));
        EXPECT_EQ(shown("progressBar"), c.progressBar);
        EXPECT_EQ(shown("detailText"), c.progressBar);
        EXPECT_EQ(shown("waitingText"), c.waitingText);
        EXPECT_EQ(shown("downloadNote"), c.downloadNote);
    }
}

TEST_F(StatusAndAction, NeedsShowsItsSentenceSelectable) {
    probe().setPhase(Phase::needs(QStringLiteral("The disk is full.")));
    const auto* needs = find<QLabel>("needsText");
    EXPECT_EQ(needs->text(), QStringLiteral("The disk is full."));
    EXPECT_TRUE(needs->textInteractionFlags() & Qt::TextSelectableByMouse);
}

TEST_F(StatusAndAction, ProgressBarIsIndeterminateUntilTheSizeIsKnown) {
    probe().setPhase(Phase::Kind::Downloading);
    auto* bar = find<QProgressBar>("progressBar");
    probe().setProgress(std::nullopt);
    EXPECT_EQ(bar->maximum(), 0);
    probe().setProgress(0.25);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_DOUBLE_EQ(double(bar->value()) / bar->maximum(), 0.25);
    probe().setProgress(1.4); // a server that sends more than it announced
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(StatusAndAction, EmptyStepAndDetailTextsAreNotShown) {
    probe().setPhase(Phase::Kind::Downloading);
    probe().setStepText(QString());
    probe().setDetailText(QString());
    EXPECT_FALSE(shown("stepText"));
    EXPECT_TRUE(shown("progressBar"));
    EXPECT_FALSE(shown("detailText"));
    probe().setDetailText(QStringLiteral("5 MB \u00b7 2 MB/s"));
    EXPECT_EQ(find<QLabel>("detailText")->text(), QStringLiteral("5 MB \u00b7 2 MB/s"));
    EXPECT_TRUE(shown("detailText"));
}

TEST_F(StatusAndAction, StopAsksTheModelToEndTheGame) {
    probe().setPhase(Phase::Kind::Playing);
    find<QPushButton>("stopButton")->click();
    EXPECT_TRUE(probe().stopRequested());
}

TEST_F(StatusAndAction, ShowLogButtonOpensAndClosesTheLog) {
    auto* button = find<QPushButton>("logButton");
    EXPECT_EQ(button->text(), QStringLiteral("Show log"));
    EXPECT_FALSE(shown("logView"));
    button->click();
    EXPECT_TRUE(model().showLog());
    EXPECT_EQ(button->text(), QStringLiteral("Hide log"));
    EXPECT_TRUE(shown("logView"));
    button->click();
    EXPECT_FALSE(model().showLog());
    EXPECT_EQ(button->text(), QStringLiteral("Show log"));
    EXPECT_FALSE(shown("logView"));
}

TEST_F(StatusAndAction, TabGoesFromTheBigButtonThroughFailureAndLogToTheBottomRow) {
    model().setShowLog(true);
    probe().setFailure(Failure{QStringLiteral("H"), {QStringLiteral("A")}});
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
}
