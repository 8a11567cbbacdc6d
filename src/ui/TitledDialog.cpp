#include "ui/TitledDialog.h"

#include "ui/TextStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TitledDialog::TitledDialog(const QString& title, QSize size, int spacing, QWidget* parent)
    : QDialog(parent), column_(new QVBoxLayout(this)) {
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedSize(size);
    column_->setContentsMargins(20, 20, 20, 20);
    column_->setSpacing(spacing);
    QLabel* heading = Look::label(title, TextStyle::Title2, this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setObjectName(QStringLiteral("dialogTitle"));
    column_->addWidget(heading);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

void TitledDialog::addDoneRow() {
    column_->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("doneButton"));
    done->setAccessibleName(QStringLiteral("Done"));
    done->setDefault(true);
    row->addWidget(done);
    column_->addLayout(row);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
}
