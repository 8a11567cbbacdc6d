#include "ui/MainWindow.h"
#include "testkit/AppModelProbe.h"
#include "testkit/ModelHarness.h"
#include "testkit/TestEnvironment.h"

#include <QTest>

namespace {

class MainWindowTest : public IsolatedTest {
protected:
    void SetUp() override {
        IsolatedTest::SetUp();
        harness = std::make_unique<ModelHarness>(scratch() + "/settings.ini");
        window = std::make_unique<MainWindow>(*harness->model);
        window->show();
    }
    void TearDown() override {
        window.reset();
        harness.reset();
    }
    AppModelProbe probe() { return AppModelProbe(*harness->model); }

    std::unique_ptr<ModelHarness> harness;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, ClosesWithoutAskingUnlessTheGameRuns) {
    EXPECT_EQ(window->windowTitle(), "Quillfire");
    for (const Phase& phase :
         {Phase(Phase::Kind::Ready), Phase(Phase::Kind::Downloading), Phase::needs("No.")}) {
        probe().setPhase(phase);
        window->show();
        EXPECT_TRUE(window->close());
    }
    EXPECT_TRUE(harness->prompts.asked.isEmpty());
}

TEST_F(MainWindowTest, WhileTheGameRunsAsksOnceAndStopsItOnYes) {
    probe().setPhase(Phase::Kind::Playing);
    harness->prompts.answers = {false, true};
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(probe().stopRequested());
    ASSERT_EQ(harness->prompts.asked.size(), 1);
    const Question& q = harness->prompts.asked.first();
    EXPECT_EQ(q.informativeText, "Quitting will close the game too.");
    EXPECT_EQ(q.acceptButton, "Quit and close the game");
    EXPECT_EQ(q.rejectButton, "Keep playing");
    EXPECT_TRUE(window->mayQuit()); // the session ends first…
    EXPECT_TRUE(probe().stopRequested());
    EXPECT_TRUE(window->close()); // …then closes the window without asking again
    EXPECT_EQ(harness->prompts.asked.size(), 2);
}

} // namespace
