#include "ui/LogView.h"
#include "ui/WindowTest.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace {

void appendNumbered(LogStore& log, int from, int to) {
    for (int i = from; i <= to; ++i)
        log.append(QStringLiteral("line %1").arg(i));
}

class FailureAndLog : public WindowTest {
protected:
    QStringList shownLines() const {
        return find<QPlainTextEdit>("logText")->toPlainText().split('\n');
    }
};

TEST_F(FailureAndLog, AFailureShowsItsHeadlineAndLinesAndCopyTakesBoth) {
    EXPECT_FALSE(find("failureView"));
    for (const auto& [failure, copied] :
         {std::pair{Failure{"The game closed after 2 seconds.", {"ERROR: no GPU", "exit"}},
                    QString("The game closed after 2 seconds.\nERROR: no GPU\nexit")},
          std::pair{Failure{"H", {}}, QString("H")}}) {
        probe().setFailure(failure);
        EXPECT_TRUE(shown("failureView"));
        EXPECT_EQ(find<QLabel>("failureHeadline")->text(), failure.headline);
        EXPECT_EQ(find<QPlainTextEdit>("failureLines")->toPlainText(), failure.lines.join('\n'));
        QGuiApplication::clipboard()->setText("something else");
        click("copyFailure");
        EXPECT_EQ(QGuiApplication::clipboard()->text(), copied);
    }
    probe().setFailure(std::nullopt);
    EXPECT_FALSE(find("failureView"));
}

TEST_F(FailureAndLog, TheLogShowsItsLast400LinesAsTheyArriveAndWhenCleared) {
    appendNumbered(model().log(), 1, 1000);
    model().setShowLog(true);
    EXPECT_EQ(shownLines().size(), 400);
    EXPECT_EQ(shownLines().first(), "line 601");
    appendNumbered(model().log(), 1001, 1050);
    EXPECT_TRUE(testkit::eventually([&] { return shownLines().last() == "line 1050"; }));
    EXPECT_EQ(shownLines().first(), "line 651");
    appendNumbered(model().log(), 1051, 4500); // past the store's own limit
    EXPECT_TRUE(testkit::eventually([&] { return shownLines().last() == "line 4500"; }));
    EXPECT_EQ(shownLines().first(), "line 4101");
    model().log().clear();
    model().log().append("fresh");
    EXPECT_TRUE(testkit::eventually([&] { return shownLines() == QStringList{"fresh"}; }));
}

TEST_F(FailureAndLog, FollowsNewLinesOnlyWhileScrolledToTheEnd) {
    appendNumbered(model().log(), 1, 100);
    model().setShowLog(true);
    auto* view = find<LogView>("logView");
    QScrollBar* bar = find<QPlainTextEdit>("logText")->verticalScrollBar();
    ASSERT_TRUE(testkit::eventually([&] { return bar->maximum() > 0; })); // laid out
    EXPECT_EQ(bar->value(), bar->maximum());
    appendNumbered(model().log(), 101, 110);
    view->flush();
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(0); // the user scrolls up to read
    appendNumbered(model().log(), 111, 120);
    view->flush();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(shownLines().last(), "line 120");
}

} // namespace
