#include "LauncherProcess.h"

#include <QFile>
#include <QTest>

#include <csignal>

LauncherProcess::LauncherProcess(const QString& home, const QStringList& args,
                                 const std::map<QString, QString>& environment) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    for (const auto& [name, value] : environment)
        env.insert(name, value);
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&process_, &QProcess::readyRead,
                     [this] { output_ += QString::fromUtf8(process_.readAll()); });
    process_.start(QUILLFIRE_BINARY, args);
    process_.waitForStarted();
}

LauncherProcess::~LauncherProcess() {
    process_.kill();
    process_.waitForFinished(5000);
}

bool LauncherProcess::waitForOutput(const QString& text, int timeoutMs) {
    const auto seen = [&] { return output_.contains(text); };
    return QTest::qWaitFor([&] { return seen() || process_.state() == QProcess::NotRunning; },
                           timeoutMs) &&
           seen();
}

int LauncherProcess::waitForExit(int timeoutMs) {
    if (!QTest::qWaitFor([&] { return process_.state() == QProcess::NotRunning; }, timeoutMs))
        return -1;
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : 128 + SIGKILL;
}

bool LauncherProcess::waitUntilCatching(int number, int timeoutMs) {
    return QTest::qWaitFor(
        [&] {
            QFile status(QString("/proc/%1/status").arg(process_.processId()));
            status.open(QIODevice::ReadOnly);
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("SigCgt:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (number - 1) & 1) !=
                           0;
            return false;
        },
        timeoutMs);
}

void LauncherProcess::signal(int number) {
    ::kill(static_cast<pid_t>(process_.processId()), number);
}
