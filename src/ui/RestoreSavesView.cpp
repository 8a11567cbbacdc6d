#include "ui/RestoreSavesView.h"

#include "app/AppModel.h"
#include "app/SaveBackups.h"
#include "ui/DialogPrompts.h"
#include "ui/TextStyle.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

RestoreSavesView::RestoreSavesView(AppModel& model, QWidget* parent)
    : TitledDialog(QStringLiteral("Restore saves"), dialogSize, 10, parent), model_(model),
      list_(new QListWidget(this)), restore_(new QPushButton(QStringLiteral("Restore"), this)),
      result_(Look::label(QString(), TextStyle::Caption, this)) {
    setObjectName(QStringLiteral("restoreSavesView"));
    column()->addWidget(Look::secondaryLabel(
        QStringLiteral("Your saved games as they were before each update, reinstall or removal. "
                       "Restoring one backs up the current saves first."),
        TextStyle::Caption, this));
    list_->setObjectName(QStringLiteral("backupList"));
    list_->setAccessibleName(QStringLiteral("Backups"));
    restore_->setObjectName(QStringLiteral("restoreButton"));
    restore_->setAutoDefault(false);
    result_->setObjectName(QStringLiteral("restoreResult"));
    result_->setWordWrap(true);
    column()->addWidget(list_, 1);
    column()->addWidget(restore_, 0, Qt::AlignLeft);
    column()->addWidget(result_);
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { restore_->setEnabled(row >= 0); });
    connect(restore_, &QPushButton::clicked, this, &RestoreSavesView::restoreChosen);
    connect(&model_, &AppModel::restoreFinished, this, &RestoreSavesView::showResult);
    fillList();
    addDoneRow();
}

void RestoreSavesView::fillList() {
    list_->clear();
    for (const SaveBackups::Backup& backup : SaveBackups::list()) {
        auto* item = new QListWidgetItem(SaveBackups::label(backup), list_);
        item->setData(Qt::UserRole, backup.path);
    }
    list_->setCurrentRow(-1);
    restore_->setEnabled(false);
}

void RestoreSavesView::restoreChosen() {
    const QListWidgetItem* item = list_->currentItem();
    if (!item)
        return;
    const Question question{
        QStringLiteral("Restore the saved games of %1?").arg(item->text()),
        QStringLiteral("The saved games there are now are backed up first, so this can be undone."),
        QStringLiteral("Restore"), QStringLiteral("Cancel")};
    if (!DialogPrompts().confirm(question))
        return;
    list_->setEnabled(false);
    restore_->setEnabled(false);
    result_->clear();
    model_.restoreSaves(item->data(Qt::UserRole).toString());
}

void RestoreSavesView::showResult(const QString& failure) {
    list_->setEnabled(true);
    fillList();
    Look::setTextColor(result_,
                       failure.isEmpty() ? Look::secondaryText(result_) : Look::failureText());
    result_->setText(failure.isEmpty() ? QStringLiteral("Restored.") : failure);
}
