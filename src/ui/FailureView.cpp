#include "ui/FailureView.h"

#include "support/Paths.h"
#include "ui/OutputArea.h"
#include "ui/TextStyle.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QPushButton* button(const QString& title, const char* objectName, const QString& description,
                    QWidget* parent) {
    auto* result = new QPushButton(title, parent);
    result->setObjectName(QLatin1String(objectName));
    result->setAccessibleName(title);
    result->setAccessibleDescription(description);
    return result;
}

} // namespace

FailureView::FailureView(Failure failure, QWidget* parent)
    : RoundedBox(Look::translucent(Qt::red, 0.08f), 10, parent), failure_(std::move(failure)) {
    setObjectName(QStringLiteral("failureView"));
    content()->setSpacing(6);

    QLabel* headline = Look::label(failure_.headline, TextStyle::Body, this);
    headline->setObjectName(QStringLiteral("failureHeadline"));
    headline->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Look::setTextColor(headline, Look::failureText());
    content()->addWidget(headline);

    QPlainTextEdit* lines = makeOutputArea(linesHeight, this);
    lines->setObjectName(QStringLiteral("failureLines"));
    lines->setAccessibleName(QStringLiteral("Last lines of the game's output"));
    lines->setPlainText(failure_.lines.join(QLatin1Char('\n')));
    content()->addWidget(lines);

    auto* buttons = new QHBoxLayout;
    QPushButton* copy = button(QStringLiteral("Copy"), "copyFailure",
                               QStringLiteral("Copies the explanation and its lines"), this);
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(copyText(failure_)); });
    QPushButton* save =
        button(QStringLiteral("Save Log\u2026"), "saveLog",
               QStringLiteral("Saves the whole log of this launch to a file"), this);
    connect(save, &QPushButton::clicked, this, &FailureView::saveLog);
    buttons->addWidget(copy);
    buttons->addWidget(save);
    buttons->addStretch(1);
    if (const QString title = actionTitle(failure_.action); !title.isEmpty()) {
        QPushButton* cure = button(title, "failureAction", failure_.headline, this);
        connect(cure, &QPushButton::clicked, this, [this] { emit actionChosen(failure_.action); });
        buttons->addWidget(cure);
    }
    content()->addLayout(buttons);
}

QString FailureView::copyText(const Failure& failure) {
    QStringList all{failure.headline};
    all += failure.lines;
    return all.join(QLatin1Char('\n'));
}

QString FailureView::actionTitle(FailureAction action) {
    switch (action) {
    case FailureAction::CompatibilityGraphics:
        return QStringLiteral("Use compatibility graphics and play");
    case FailureAction::SetUpAgain:
        return QStringLiteral("Set up again and play");
    case FailureAction::Reinstall:
        return QStringLiteral("Reinstall\u2026");
    case FailureAction::Repair:
        return QStringLiteral("Repair Godot and play");
    case FailureAction::Update: // the headline says where Update is
    case FailureAction::None:
        break;
    }
    return {};
}

void FailureView::saveLog() {
    QFileDialog dialog(window(), QStringLiteral("Save Log"), QDir::homePath(),
                       QStringLiteral("Text files (*.txt *.log)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("log"));
    dialog.selectFile(QStringLiteral("Brennick-last-run.log"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString target = dialog.selectedFiles().constFirst();
    // The dialog has asked before replacing a file.
    QFile::remove(target);
    QFile source(Paths::lastRunLog());
    if (!source.copy(target))
        QMessageBox::warning(window(), QStringLiteral("Save Log"),
                             QStringLiteral("The log could not be saved to %1: %2.")
                                 .arg(QDir::toNativeSeparators(target), source.errorString()));
}
