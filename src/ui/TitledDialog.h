#pragma once

#include <QDialog>

class QPushButton;
class QVBoxLayout;

// A fixed-size dialog over the window with a title on top and "Done" at the
// bottom. Return presses Done, Esc closes it; it deletes itself once closed.
class TitledDialog : public QDialog {
    Q_OBJECT
protected:
    TitledDialog(const QString& title, QSize size, int spacing, QWidget* parent);

    QVBoxLayout* column() const { return column_; }
    // Ends the content: flexible space, then the row with Done.
    void addDoneRow();

private:
    QVBoxLayout* column_;
};
