#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl-C (SIGINT) and SIGTERM into a Qt signal on the GUI thread, so the
// run can be cancelled or the game stopped in an orderly way.
class InterruptHandler : public QObject {
    Q_OBJECT
public:
    explicit InterruptHandler(QObject* parent = nullptr);
    ~InterruptHandler() override;

signals:
    void interrupted();

private:
    QSocketNotifier* notifier_ = nullptr;
};
