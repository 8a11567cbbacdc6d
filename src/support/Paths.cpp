#include "support/Paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>

namespace Paths {

namespace {

// An XDG folder: `value` when it is an absolute path (the XDG rules ignore a relative one), else
// `fallback` in the home folder, such as "/.local/share".
QString xdgFolder(const QString& value, const QString& home, const QString& fallback) {
    return QDir::isAbsolutePath(value) ? value : home + fallback;
}

QString xdgFolder(const char* variable, const QString& fallback) {
    return xdgFolder(qEnvironmentVariable(variable), QDir::homePath(), fallback);
}

QString dataFolder() {
    return hostPlatform() == Platform::MacOS
               ? QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
               : xdgFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

} // namespace

QString supportRoot() {
    return dataFolder() + QStringLiteral("/Brennick");
}

QString saveBackupsFolder() {
    return dataFolder() + QStringLiteral("/Brennick Save backups");
}

QString gameFolder() {
    return supportRoot() + QStringLiteral("/Game");
}
QString gameStagingFolder() {
    return supportRoot() + QStringLiteral("/Game.staging");
}
QString previousGameFolder() {
    return supportRoot() + QStringLiteral("/Game.previous");
}
QString engineFolder() {
    return supportRoot() + QStringLiteral("/Engine");
}

QString lastRunLog() {
    const QString folder = hostPlatform() == Platform::MacOS
                               ? QDir::homePath() + QStringLiteral("/Library/Logs")
                               : xdgFolder("XDG_STATE_HOME", QStringLiteral("/.local/state"));
    return folder + QStringLiteral("/Quillfire/last-run.log");
}

static QString engineSafeName(QString name) {
    // The engine swaps these for "-" when it names the user-data folder.
    for (QChar c : QStringLiteral(":*?\"<>|/\\"))
        name.replace(c, QLatin1Char('-'));
    return name;
}

QString savesFolderFor(Platform platform, const QString& home, const QString& dataHome,
                       const QString& projectName) {
    if (platform == Platform::MacOS)
        return home + QStringLiteral("/Library/Application Support/Godot/app_userdata/") +
               engineSafeName(projectName);
    return xdgFolder(dataHome, home, QStringLiteral("/.local/share")) +
           QStringLiteral("/godot/app_userdata/") + engineSafeName(projectName);
}

QString savesFolder(const QString& projectName) {
    return savesFolderFor(hostPlatform(), QDir::homePath(), qEnvironmentVariable("XDG_DATA_HOME"),
                          projectName);
}

qint64 folderSize(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.nextFileInfo());
        if (info.isFile() && !info.isSymLink())
            total += info.size();
    }
    return total;
}

} // namespace Paths
