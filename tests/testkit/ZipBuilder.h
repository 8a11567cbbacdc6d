#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Zips written inside the tests, including ones no careful tool would write.
namespace ziptest {

struct Entry {
    unsigned type; // AE_IFREG, AE_IFDIR or AE_IFLNK
    QString name;
    QByteArray data; // a link's target for a link
    int mode;

    static Entry file(const QString& name, const QByteArray& data, int mode = 0644) {
        return {0100000, name, data, mode};
    }
    static Entry folder(const QString& name, int mode = 0755) { return {0040000, name, {}, mode}; }
    static Entry link(const QString& name, const QString& target) {
        return {0120000, name, target.toUtf8(), 0777};
    }
};

enum class Compression { Deflate, Store };

QByteArray zip(const QList<Entry>& entries, Compression compression = Compression::Deflate);

} // namespace ziptest
