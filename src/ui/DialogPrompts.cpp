#include "ui/DialogPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

bool DialogPrompts::confirm(const Question& question) {
    QMessageBox box(QApplication::activeWindow());
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(QStringLiteral("Quillfire"));
    box.setText(question.message);
    box.setInformativeText(question.informativeText);
    QPushButton* accept = box.addButton(question.acceptButton, QMessageBox::AcceptRole);
    QPushButton* reject = box.addButton(question.rejectButton, QMessageBox::RejectRole);
    box.setDefaultButton(accept);
    box.setEscapeButton(reject);
    box.exec();
    return box.clickedButton() == accept;
}
