#pragma once

#include <QProcess>

#include <map>

// `quillfire <args>` as a separate process with its own data folders (and `environment`), so
// that a test can kill or interrupt it at any moment.
class LauncherProcess {
public:
    LauncherProcess(const QString& home, const QStringList& args,
                    const std::map<QString, QString>& environment = {});
    ~LauncherProcess();

    // False when the launcher ended or the time ran out before it printed `text`.
    bool waitForOutput(const QString& text, int timeoutMs);
    // The exit status; -1 when it did not end in time.
    int waitForExit(int timeoutMs);
    void signal(int number);
    // Waits until the launcher has a handler of its own for `number`.
    bool waitUntilCatching(int number, int timeoutMs = 30'000);
    const QString& output() const { return output_; }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    QString output_;
};
