#pragma once

#include <QObject>

class QLocalServer;

// Opening the launcher while its window is already open shows that window instead of a
// second one; the new process tells the first over a local socket and ends.
class WindowActivation : public QObject {
    Q_OBJECT
public:
    explicit WindowActivation(QObject* parent = nullptr);

    // Asks the window that is already open to show itself; false when none answered.
    static bool askOpenWindow();

signals:
    void requested();

private:
    QLocalServer* server_;
};
