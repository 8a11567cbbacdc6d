#include "ui/ContentView.h"

#include "app/AppModel.h"
#include "ui/AboutView.h"
#include "ui/FailureView.h"
#include "ui/GameDetailsView.h"
#include "ui/HeaderArt.h"
#include "ui/LogView.h"
#include "ui/PlaySection.h"
#include "ui/SettingsView.h"
#include "ui/StatusSection.h"
#include "ui/UpdateNotice.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
QPushButton* smallButton(const QString& text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAccessibleName(text);
    return button;
}
} // namespace

ContentView::ContentView(AppModel& model, QWidget* parent) : QScrollArea(parent), model_(model) {
    setObjectName(QStringLiteral("contentView"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* page = new QWidget;
    column_ = new QVBoxLayout(page);
    column_->setContentsMargins(margin, margin, margin, margin);
    column_->setSpacing(spacing);
    column_->addWidget(new HeaderArt(page));
    column_->addWidget(new GameDetailsView(model_, page));
    column_->addWidget(new UpdateNotice(model_, page));
    auto* play = new PlaySection(model_, page);
    column_->addWidget(play);
    status_ = new StatusSection(model_, page);
    column_->addWidget(status_);

    bottomRow_ = new QWidget(page);
    auto* row = new QHBoxLayout(bottomRow_);
    row->setContentsMargins(0, 0, 0, 0);
    logButton_ = smallButton(QString(), "logButton", bottomRow_);
    settingsButton_ = smallButton(QStringLiteral("Settings"), "settingsButton", bottomRow_);
    aboutButton_ = smallButton(QStringLiteral("About"), "aboutButton", bottomRow_);
    row->addWidget(logButton_);
    row->addStretch(1);
    row->addWidget(settingsButton_);
    row->addWidget(aboutButton_);
    column_->addWidget(bottomRow_);
    column_->addStretch(1);
    setWidget(page);

    connect(logButton_, &QPushButton::clicked, &model_,
            [this] { model_.setShowLog(!model_.showLog()); });
    connect(settingsButton_, &QPushButton::clicked, this, &ContentView::openSettings);
    connect(aboutButton_, &QPushButton::clicked, this, &ContentView::openAbout);
    auto* toggleLog = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(toggleLog, &QShortcut::activated, logButton_, &QPushButton::click);

    connect(&model_, &AppModel::failureChanged, this, &ContentView::syncFailure);
    connect(&model_, &AppModel::showLogChanged, this, &ContentView::syncLog);
    syncFailure();
    syncLog();
    play->currentButton()->setFocus();
}

void ContentView::openSettings() {
    (new SettingsView(model_, this))->open();
}

void ContentView::openAbout() {
    (new AboutView(model_, this))->open();
}

void ContentView::syncFailure() {
    // A press of the view's own button may be what replaces it, so it goes once that is over.
    if (failureView_) {
        column_->removeWidget(failureView_);
        failureView_->hide();
        failureView_->deleteLater();
        failureView_ = nullptr;
    }
    if (const std::optional<Failure>& failure = model_.failure()) {
        failureView_ = new FailureView(*failure, widget());
        connect(failureView_, &FailureView::actionChosen, &model_, &AppModel::applyFix);
        column_->insertWidget(column_->indexOf(status_) + 1, failureView_);
        failureView_->show();
    }
    orderFocus();
}

void ContentView::syncLog() {
    const bool show = model_.showLog();
    logButton_->setText(show ? QStringLiteral("Hide log") : QStringLiteral("Show log"));
    logButton_->setAccessibleName(logButton_->text());
    if (show == (logView_ != nullptr))
        return;
    delete logView_;
    logView_ = nullptr;
    if (show) {
        logView_ = new LogView(model_.log(), widget());
        column_->insertWidget(column_->indexOf(bottomRow_), logView_);
        logView_->show();
    }
    orderFocus();
}

void ContentView::orderFocus() {
    // Views that come and go join the end of the tab chain; put them back
    // before the bottom row.
    QList<QWidget*> chain;
    if (failureView_)
        chain << failureView_->findChild<QPlainTextEdit*>();
    if (failureView_)
        for (QPushButton* button : failureView_->findChildren<QPushButton*>())
            chain << button;
    if (logView_)
        chain << logView_->findChild<QPlainTextEdit*>();
    chain << logButton_ << settingsButton_ << aboutButton_;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}
