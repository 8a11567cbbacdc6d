#pragma once

#include <QLockFile>
#include <QString>

// One launcher at a time may change the game and engine folders: the window for as long as it
// is open, a command for as long as it runs. The lock file sits beside the launcher's folder,
// so removing everything leaves it alone; a lock left by a process that died is taken over.
class InstanceLock {
public:
    InstanceLock();

    // Takes the lock unless another live process holds it; never waits. True also when the
    // lock file cannot be written at all.
    bool tryLock();
    // The process holding the lock, 0 when not known.
    qint64 holder() const;

    static QString path();

private:
    QLockFile file_;
};
