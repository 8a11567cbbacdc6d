#include "testkit/TestEnvironment.h"
#include "ui/AppModelProbe.h"
#include "ui/MainWindow.h"
#include "ui/ModelHarness.h"

#include <QTest>

class Quit : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        harness_ = std::make_unique<ModelHarness>(scratch() + QStringLiteral("/settings.ini"));
        window_ = std::make_unique<MainWindow>(*harness_->model);
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        harness_.reset();
    }

    ScriptedPrompts& prompts() { return harness_->prompts; }
    AppModelProbe probe() { return AppModelProbe(*harness_->model); }
    MainWindow& window() { return *window_; }

private:
    std::unique_ptr<ModelHarness> harness_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(Quit, TheWindowIsTitledAndHasItsMinimumSize) {
    EXPECT_EQ(window().windowTitle(), QStringLiteral("Quillfire"));
    EXPECT_EQ(window().minimumSize(), QSize(620, 700));
}

TEST_F(Quit, WithoutARunningGameClosesWithoutAsking) {
    for (Phase phase : {Phase(Phase::Kind::Ready), Phase(Phase::Kind::NotDownloaded),
                        Phase(Phase::Kind::Downloading), Phase::needs(QStringLiteral("No."))}) {
        probe().setPhase(phase);
        window().show();
        EXPECT_TRUE(window().close());
    }
    EXPECT_TRUE(prompts().asked.isEmpty());
}

TEST_F(Quit, WhileTheGameRunsAsksAndKeepsPlayingOnNo) {
    probe().setPhase(Phase::Kind::Playing);
    prompts().answers = {false};
    EXPECT_FALSE(window().close());
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(probe().stopRequested());
    ASSERT_EQ(prompts().asked.size(), 1);
    const Question& q = prompts().asked.first();
    EXPECT_EQ(q.message, QStringLiteral("The game is still running"));
    EXPECT_EQ(q.informativeText, QStringLiteral("Quitting will close the game too."));
    EXPECT_EQ(q.acceptButton, QStringLiteral("Quit and close the game"));
    EXPECT_EQ(q.rejectButton, QStringLiteral("Keep playing"));
}

TEST_F(Quit, WhileTheGameStartsAQuitAgreedToStopsTheGameAndClosesOnce) {
    probe().setPhase(Phase::Kind::Starting);
    prompts().answers = {true};
    EXPECT_TRUE(window().mayQuit()); // the session ends first…
    EXPECT_TRUE(probe().stopRequested());
    EXPECT_TRUE(window().close()); // …then closes the window without asking again
    EXPECT_EQ(prompts().asked.size(), 1);
}

TEST_F(Quit, ControlQClosesTheWindowTheSameWay) {
    probe().setPhase(Phase::Kind::Playing);
    prompts().answers = {false, true};
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(prompts().asked.size(), 1);
    EXPECT_TRUE(window().isVisible());
    QTest::keyClick(&window(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(prompts().asked.size(), 2);
    EXPECT_FALSE(window().isVisible());
}
