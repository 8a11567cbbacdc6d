#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The test's wishes for one run, read from ".standin.ini" in the project folder:
// one "key = value" per line, "#" starts a comment line, and values may use
// the escapes \n \r \t \\ and \xHH (any byte, so invalid UTF-8 can be asked for).
class Behaviour {
public:
    static Behaviour load(const QString& file);

    QByteArray bytes(const char* key) const;
    int number(const char* key, int fallback) const;
    double seconds(const char* key, double fallback) const;
    bool flag(const char* key, bool fallback) const;

private:
    QHash<QByteArray, QByteArray> values_;
};
