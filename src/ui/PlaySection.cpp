#include "ui/PlaySection.h"

#include "app/AppModel.h"
#include "ui/BigButton.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PlaySection::PlaySection(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model),
      play_(makeBigButton({QStringLiteral("Play"), Symbol::Play, TextStyle::LargeTitle, 14,
                           BigButtonLook::Prominent},
                          this)),
      cancel_(makeBigButton(
          {QStringLiteral("Cancel"), Symbol::Cancel, TextStyle::Title2, 8, BigButtonLook::Bordered},
          this)),
      stop_(makeBigButton(
          {QStringLiteral("Stop"), Symbol::Stop, TextStyle::Title2, 8, BigButtonLook::Destructive},
          this)),
      note_(Look::secondaryLabel(
          QStringLiteral("Downloads the game and the Godot engine once (the engine is about 70 MB; "
                         "the game's size shows while it downloads). Nothing to type."),
          TextStyle::Caption, this)) {
    setObjectName(QStringLiteral("playSection"));
    play_->setObjectName(QStringLiteral("playButton"));
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    stop_->setObjectName(QStringLiteral("stopButton"));
    note_->setObjectName(QStringLiteral("downloadNote"));
    note_->setAlignment(Qt::AlignHCenter);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    for (QWidget* widget : {static_cast<QWidget*>(play_), static_cast<QWidget*>(cancel_),
                            static_cast<QWidget*>(stop_), static_cast<QWidget*>(note_)})
        column->addWidget(widget);

    connect(play_, &QPushButton::clicked, &model_, [this] { model_.start(RunRequest::play()); });
    connect(cancel_, &QPushButton::clicked, &model_, &AppModel::cancel);
    connect(stop_, &QPushButton::clicked, &model_, &AppModel::stopGame);
    connect(&model_, &AppModel::phaseChanged, this, &PlaySection::sync);
    connect(&model_, &AppModel::workingChanged, this, &PlaySection::sync);
    sync();
}

QPushButton* PlaySection::currentButton() const {
    if (model_.isGameRunning())
        return stop_;
    return model_.canCancel() ? cancel_ : play_;
}

void PlaySection::sync() {
    QPushButton* current = currentButton();
    const bool hadFocus = play_->hasFocus() || cancel_->hasFocus() || stop_->hasFocus();
    for (QPushButton* button : {play_, cancel_, stop_})
        button->setVisible(button == current);
    play_->setEnabled(!model_.isWorking());
    note_->setVisible(current == play_ && model_.phase().kind() == Phase::Kind::NotDownloaded);
    // Keyboard users keep their place when the button changes under them.
    if (hadFocus && current->isEnabled())
        current->setFocus();
}
