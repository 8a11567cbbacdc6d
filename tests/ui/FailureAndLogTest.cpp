#include "ui/LogView.h"
#include "ui/WindowTest.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>

namespace {

void appendNumbered(LogStore& log, int from, int to) {
    for (int i = from; i <= to; ++i)
        log.append(QStringLiteral("line %1").arg(i));
}

QStringList shownLines(const QPlainTextEdit* text) {
    return text->toPlainText().split(QLatin1Char('\n'));
}

} // namespace

class FailureAndLog : public WindowTest {
protected:
    QPlainTextEdit* logText() { return find<QPlainTextEdit>("logText"); }
    void openLog() { model().setShowLog(true); }
};

TEST_F(FailureAndLog, FailureShowsHeadlineAndLinesAndGoesAway) {
    EXPECT_FALSE(find("failureView"));
    probe().setFailure(Failure{QStringLiteral("The game closed after 2 seconds."),
                               {QStringLiteral("ERROR: no GPU"), QStringLiteral("exit")}});
    EXPECT_TRUE(shown("failureView"));
    EXPECT_EQ(find<QLabel>("failureHeadline")->text(),
              QStringLiteral("The game closed after 2 seconds."));
    EXPECT_EQ(find<QPlainTextEdit>("failureLines")->toPlainText(),
              QStringLiteral("ERROR: no GPU\nexit"));
    probe().setFailure(std::nullopt);
    EXPECT_FALSE(find("failureView"));
}

TEST_F(FailureAndLog, CopyPutsHeadlineAndLinesOnTheClipboard) {
    const struct {
        Failure failure;
        QString expected;
    } cases[] = {
        {{QStringLiteral("H"), {QStringLiteral("A"), QStringLiteral("B")}},
         QStringLiteral("H\nA\nB")},
        {{QStringLiteral("H"), {}}, QStringLiteral("H")},
    };
    for (const auto& c : cases) {
        QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
        probe().setFailure(c.failure);
        find<QPushButton>("copyFailure")->click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.expected);
    }
}

TEST_F(FailureAndLog, LogShowsTheLast400Lines) {
    appendNumbered(model().log(), 1, 1000);
    openLog();
    const QStringList lines = shownLines(logText());
    ASSERT_EQ(lines.size(), 400);
    EXPECT_EQ(lines.first(), QStringLiteral("line 601"));
    EXPECT_EQ(lines.last(), QStringLiteral("line 1000"));
}

TEST_F(FailureAndLog, ShortAndEmptyLogs) {
    openLog();
    EXPECT_TRUE(logText()->toPlainText().isEmpty());
    EXPECT_EQ(logText()->height(), LogView::areaHeight);
    appendNumbered(model().log(), 1, 3);
    find<LogView>("logView")->flush();
    EXPECT_EQ(shownLines(logText()), (QStringList{"line 1", "line 2", "line 3"}));
}

TEST_F(FailureAndLog, LinesArrivingWhileOpenKeepTheLast400) {
    openLog();
    appendNumbered(model().log(), 1, 390);
    EXPECT_TRUE(eventually([&] { return shownLines(logText()).size() == 390; }));
    appendNumbered(model().log(), 391, 450);
    EXPECT_TRUE(eventually([&] { return shownLines(logText()).last() == "line 450"; }));
    EXPECT_EQ(shownLines(logText()).size(), 400);
    EXPECT_EQ(shownLines(logText()).first(), QStringLiteral("line 51"));
    appendNumbered(model().log(), 451, 3500); // past the store's own limit
    EXPECT_TRUE(eventually([&] { return shownLines(logText()).last() == "line 3500"; }));
    EXPECT_EQ(shownLines(logText()).first(), QStringLiteral("line 3101"));
}

TEST_F(FailureAndLog, ClearingTheLogEmptiesTheView) {
    appendNumbered(model().log(), 1, 10);
    openLog();
    model().log().clear();
    model().log().append(QStringLiteral("fresh"));
    EXPECT_TRUE(eventually([&] { return logText()->toPlainText() == "fresh"; }))
        << logText()->toPlainText().toStdString();
}

TEST_F(FailureAndLog, FollowsNewLinesOnlyWhileScrolledToTheEnd) {
    appendNumbered(model().log(), 1, 100);
    openLog();
    auto* view = find<LogView>("logView");
    QScrollBar* bar = logText()->verticalScrollBar();
    ASSERT_TRUE(eventually([&] { return bar->maximum() > 0; })); // laid out
    EXPECT_EQ(bar->value(), bar->maximum());
    appendNumbered(model().log(), 101, 110);
    view->flush();
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(0); // the user scrolls up to read
    appendNumbered(model().log(), 111, 120);
    view->flush();
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(shownLines(logText()).last(), QStringLiteral("line 120"));
}
