#pragma once

#include <QString>
#include <QStringList>

// Why the last game run ended too early, with the log lines that go with it.
struct Failure {
    QString headline;
    QStringList lines;

    friend bool operator==(const Failure&, const Failure&) = default;
};
