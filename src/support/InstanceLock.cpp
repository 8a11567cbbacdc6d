#include "support/InstanceLock.h"

#include "support/Paths.h"

#include <QDir>
#include <QFileInfo>

InstanceLock::InstanceLock() : file_(path()) {
    // A window stays open for hours: only a dead holder makes the lock stale, never its age
    // (which would count on file systems without native locks).
    file_.setStaleLockTime(0);
}

bool InstanceLock::tryLock() {
    QDir().mkpath(QFileInfo(path()).absolutePath());
    if (file_.tryLock(0))
        return true;
    // A folder that cannot hold the lock cannot hold the game either; the steps say so.
    return file_.error() != QLockFile::LockFailedError;
}

qint64 InstanceLock::holder() const {
    qint64 pid = 0;
    QString host;
    QString application;
    return file_.getLockInfo(&pid, &host, &application) ? pid : 0;
}

QString InstanceLock::path() {
    return Paths::supportRoot() + QStringLiteral(".lock");
}
