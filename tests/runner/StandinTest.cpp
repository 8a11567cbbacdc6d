#include "StandinTest.h"

#include "ProcessProbe.h"
#include "support/Paths.h"

#include <QCoreApplication>
#include <QJsonDocument>

void StandinTest::SetUp() {
    IsolatedTest::SetUp();
    testkit::writeFile(project(), "project.godot", "config_version=4\n");
}

QString StandinTest::project() const {
    return Paths::gameFolder() + "/Brennick Game";
}

void StandinTest::behave(const QByteArray& settings) const {
    testkit::writeFile(project(), ".standin.ini", settings);
}

QList<QStringList> StandinTest::recordedArguments() const {
    QList<QStringList> runs;
    for (const QByteArray& line : testkit::readFile(project() + "/.standin-args.log").split('\n'))
        if (!line.isEmpty())
            runs << QJsonDocument::fromJson(line).toVariant().toStringList();
    return runs;
}

pid_t StandinTest::enginePid() const {
    return probe::waitForPid(project() + "/.standin.pid");
}

QStringList StandinTest::logLines() {
    QCoreApplication::processEvents();
    return log.lines();
}
