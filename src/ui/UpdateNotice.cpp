#include "ui/UpdateNotice.h"

#include "app/AppModel.h"
#include "ui/TextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

UpdateNotice::UpdateNotice(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), update_(new QPushButton(QStringLiteral("Update"), this)) {
    setObjectName(QStringLiteral("updateNotice"));
    update_->setObjectName(QStringLiteral("updateNoticeButton"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Look::label(QStringLiteral("A newer version of Brennick is available"),
                               TextStyle::Callout, this),
                   1);
    row->addWidget(update_);
    connect(update_, &QPushButton::clicked, &model_,
            [this] { model_.start(RunRequest::update()); });
    connect(&model_, &AppModel::updateAvailableChanged, this, &UpdateNotice::sync);
    connect(&model_, &AppModel::workingChanged, this, &UpdateNotice::sync);
    sync();
}

void UpdateNotice::sync() {
    setVisible(model_.updateAvailable().value_or(false));
    update_->setEnabled(!model_.isWorking());
}
