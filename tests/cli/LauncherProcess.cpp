#include "LauncherProcess.h"

#include <QFile>

#include <csignal>

LauncherProcess::LauncherProcess(const QString& dataHome, const QString& configHome,
                                 const QStringList& args,
                                 const std::map<QString, QString>& extraEnvironment) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    for (const auto& [name, value] : extraEnvironment)
        env.insert(name, value);
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&process_, &QProcess::readyRead,
                     [this] { output_ += QString::fromUtf8(process_.readAll()); });
    process_.start(QStringLiteral(QUILLFIRE_BINARY), args);
    process_.waitForStarted();
}

LauncherProcess::~LauncherProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool LauncherProcess::waitForOutput(const QString& text, int timeoutMs) {
    return QTest::qWaitFor(
               [&] { return output_.contains(text) || process_.state() == QProcess::NotRunning; },
               timeoutMs) &&
           output_.contains(text);
}

int LauncherProcess::waitForExit(int timeoutMs) {
    if (!QTest::qWaitFor([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : 128 + SIGKILL;
}

bool LauncherProcess::waitUntilCatching(int number, int timeoutMs) {
    const QString status = QStringLiteral("/proc/%1/status").arg(process_.processId());
    const auto caught = [&] {
        QFile file(status);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith("SigCgt:"))
                return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (number - 1) & 1) != 0;
        return false;
    };
    return QTest::qWaitFor(caught, timeoutMs);
}

void LauncherProcess::signal(int number) {
    ::kill(static_cast<pid_t>(process_.processId()), number);
}
