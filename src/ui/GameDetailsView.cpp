#include "ui/GameDetailsView.h"

#include "app/AppModel.h"
#include "app/PlatformWords.h"
#include "ui/TextStyle.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QString separator = QStringLiteral(" \u00b7 ");

QLabel* named(QLabel* label, const char* objectName) {
    label->setObjectName(QLatin1String(objectName));
    return label;
}

} // namespace

GameDetailsView::GameDetailsView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("gameDetails"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    connect(&model_, &AppModel::infoChanged, this, &GameDetailsView::rebuild);
    rebuild();
}

QString GameDetailsView::factsLine(const GameInfo& info) {
    QString line = (info.is3D ? QStringLiteral("3D") : QStringLiteral("2D")) +
                   QStringLiteral(" game \u00b7 Godot ") + info.engineVersion + separator +
                   info.licenseName;
    if (!info.copyrightLine.isEmpty())
        line += separator + info.copyrightLine;
    if (info.installed)
        line += separator + info.installed->describe(QDateTime::currentDateTimeUtc());
    return line;
}

void GameDetailsView::rebuild() {
    delete body_;
    body_ = new QWidget(this);
    auto* column = new QVBoxLayout(body_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    if (model_.info())
        addDetails(column, *model_.info());
    else
        addIntro(column);
    layout()->addWidget(body_);
    body_->show(); // now, not with the next turn of the event loop
}

void GameDetailsView::addIntro(QVBoxLayout* column) {
    column->addWidget(named(
        Look::label(QStringLiteral("A time-trial Brennick made with Godot."), TextStyle::Headline),
        "detailsTitle"));
    column->addWidget(named(
        Look::secondaryLabel(QStringLiteral("Details from the game's README, its licence and its "
                                            "controls appear here after the first download."),
                             TextStyle::Callout),
        "detailsNote"));
}

void GameDetailsView::addDetails(QVBoxLayout* column, const GameInfo& info) {
    const QString title = info.summary.isEmpty() ? info.projectName : info.summary;
    column->addWidget(named(Look::label(title, TextStyle::Headline), "detailsTitle"));
    column->addWidget(
        named(Look::secondaryLabel(factsLine(info), TextStyle::Callout), "detailsFacts"));

    column->addSpacing(4);
    QLabel* heading = Look::label(QStringLiteral("Controls"), TextStyle::Subheadline);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    column->addWidget(named(heading, "controlsHeading"));
    addControls(column, info);

    if (info.is3D) {
        column->addWidget(
            named(Look::secondaryLabel(
                      QStringLiteral("If the mouse is captured by the game, press Esc to "
                                     "release it (the game's Cancel key). ") +
                          PlatformWords::switchAwayHint(),
                      TextStyle::Caption),
                  "mouseHint"));
    }
}

void GameDetailsView::addControls(QVBoxLayout* column, const GameInfo& info) {
    if (info.controls.isEmpty()) {
        column->addWidget(named(Look::secondaryLabel(QStringLiteral("See README"), TextStyle::Body),
                                "seeReadme"));
        return;
    }
    auto* table = new QWidget;
    table->setObjectName(QStringLiteral("controlsTable"));
    auto* grid = new QGridLayout(table);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    grid->setHorizontalSpacing(0);
    for (int row = 0; row < info.controls.size(); ++row) {
        const ControlEntry& entry = info.controls[row];
        QLabel* action = Look::label(entry.action, TextStyle::Callout);
        action->setFixedWidth(actionColumnWidth);
        grid->addWidget(action, row, 0, Qt::AlignTop);
        grid->addWidget(Look::secondaryLabel(entry.keys, TextStyle::Callout), row, 1, Qt::AlignTop);
    }
    grid->setColumnStretch(1, 1);
    column->addWidget(table);
    column->addWidget(named(
        Look::secondaryLabel(QStringLiteral("The README lists no controls, so these come from the "
                                            "game's own input settings."),
                             TextStyle::Caption),
        "controlsNote"));
}
