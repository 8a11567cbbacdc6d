#pragma once

#include <QObject>

class QSocketNotifier;

// Turns Ctrl-C (SIGINT), SIGTERM and a closed terminal (SIGHUP) into a Qt signal on
// the GUI thread, so the run can be cancelled or the game stopped in an orderly way
// instead of the launcher dying and leaving the engine behind.
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
