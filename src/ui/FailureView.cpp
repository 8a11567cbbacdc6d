#include "ui/FailureView.h"

#include "ui/OutputArea.h"
#include "ui/TextStyle.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

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

    auto* copy = new QPushButton(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("copyFailure"));
    copy->setAccessibleName(QStringLiteral("Copy"));
    copy->setAccessibleDescription(QStringLiteral("Copies the explanation and its lines"));
    content()->addWidget(copy, 0, Qt::AlignLeft);
    connect(copy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(copyText(failure_)); });
}

QString FailureView::copyText(const Failure& failure) {
    QStringList all{failure.headline};
    all += failure.lines;
    return all.join(QLatin1Char('\n'));
}
