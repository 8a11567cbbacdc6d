#include "ui/StatusSection.h"

#include "app/AppModel.h"
#include "ui/PhaseLook.h"
#include "ui/TextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {
bool isWorkPhase(const Phase& phase) {
    return phase.kind() == Phase::Kind::Downloading || phase.kind() == Phase::Kind::SettingUp;
}
} // namespace

StatusSection::StatusSection(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), symbol_(new QLabel(this)),
      title_(Look::label(QString(), TextStyle::Headline, this)),
      needs_(Look::label(QString(), TextStyle::Body, this)),
      step_(Look::label(QString(), TextStyle::Body, this)), bar_(new QProgressBar(this)),
      detail_(Look::secondaryLabel(QString(), TextStyle::Caption, this)),
      waiting_(Look::secondaryLabel(QStringLiteral("Waiting to see that the game stays open\u2026"),
                                    TextStyle::Caption, this)) {
    setObjectName(QStringLiteral("statusSection"));
    symbol_->setObjectName(QStringLiteral("phaseSymbol"));
    title_->setObjectName(QStringLiteral("phaseTitle"));
    needs_->setObjectName(QStringLiteral("needsText"));
    step_->setObjectName(QStringLiteral("stepText"));
    bar_->setObjectName(QStringLiteral("progressBar"));
    detail_->setObjectName(QStringLiteral("detailText"));
    waiting_->setObjectName(QStringLiteral("waitingText"));

    needs_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Look::setTextColor(needs_, Look::warningText());
    bar_->setTextVisible(false);
    bar_->setAccessibleName(QStringLiteral("Progress"));

    auto* titleRow = new QHBoxLayout;
    titleRow->setSpacing(6);
    titleRow->addWidget(symbol_);
    titleRow->addWidget(title_, 1);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addLayout(titleRow);
    for (QWidget* widget :
         {static_cast<QWidget*>(needs_), static_cast<QWidget*>(step_), static_cast<QWidget*>(bar_),
          static_cast<QWidget*>(detail_), static_cast<QWidget*>(waiting_)})
        column->addWidget(widget);

    connect(&model_, &AppModel::phaseChanged, this, &StatusSection::syncPhase);
    connect(&model_, &AppModel::stepTextChanged, this, &StatusSection::syncStep);
    connect(&model_, &AppModel::progressChanged, this, &StatusSection::syncProgress);
    connect(&model_, &AppModel::detailTextChanged, this, &StatusSection::syncProgress);
    syncPhase();
    syncStep();
}

void StatusSection::syncPhase() {
    const Phase& phase = model_.phase();
    const PhaseLook look = phaseLook(phase);
    title_->setText(look.title);
    const int side = title_->fontMetrics().height();
    symbol_->setPixmap(
        Symbols::icon(look.symbol, palette().color(QPalette::WindowText)).pixmap(side, side));
    symbol_->setAccessibleName(look.title);
    needs_->setText(phase.text());
    needs_->setVisible(phase.kind() == Phase::Kind::Needs);
    waiting_->setVisible(phase.kind() == Phase::Kind::Starting);
    syncProgress();
}

void StatusSection::syncStep() {
    step_->setText(model_.stepText());
    step_->setVisible(!model_.stepText().isEmpty());
}

void StatusSection::syncProgress() {
    const bool working = isWorkPhase(model_.phase());
    bar_->setVisible(working);
    if (const std::optional<double> progress = model_.progress()) {
        bar_->setRange(0, progressSteps);
        bar_->setValue(std::clamp(qRound(*progress * progressSteps), 0, progressSteps));
    } else {
        bar_->setRange(0, 0); // no amount known: the bar only shows that work goes on
    }
    detail_->setText(model_.detailText());
    detail_->setVisible(working && !model_.detailText().isEmpty());
}
