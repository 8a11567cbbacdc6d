#include "Behaviour.h"

#include <QFile>

namespace {

QByteArray unescaped(QByteArrayView text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const char next = text[++i];
        if (next == 'n')
            out.append('\n');
        else if (next == 'r')
            out.append('\r');
        else if (next == 't')
            out.append('\t');
        else if (next == 'x' && i + 2 < text.size()) {
            out.append(static_cast<char>(text.sliced(i + 1, 2).toByteArray().toInt(nullptr, 16)));
            i += 2;
        } else
            out.append(next);
    }
    return out;
}

} // namespace

Behaviour Behaviour::load(const QString& file) {
    Behaviour behaviour;
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return behaviour;
    for (const QByteArray& rawLine : input.readAll().split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('#') || equals < 0)
            continue;
        behaviour.values_.insert(line.left(equals).trimmed(),
                                 unescaped(line.mid(equals + 1).trimmed()));
    }
    return behaviour;
}

QByteArray Behaviour::bytes(const char* key) const {
    return values_.value(key);
}

int Behaviour::number(const char* key, int fallback) const {
    bool ok = false;
    const int value = values_.value(key).toInt(&ok);
    return ok ? value : fallback;
}

double Behaviour::seconds(const char* key, double fallback) const {
    bool ok = false;
    const double value = values_.value(key).toDouble(&ok);
    return ok ? value : fallback;
}

bool Behaviour::flag(const char* key, bool fallback) const {
    const QByteArray value = values_.value(key);
    return value.isEmpty() ? fallback : (value == "true" || value == "1" || value == "yes");
}
