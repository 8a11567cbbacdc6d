#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Zips written inside the tests, including ones no careful tool would write.
namespace ziptest {

struct Entry {
    enum class Kind { File, Folder, Link };
    Kind kind = Kind::File;
    QString name;
    QByteArray data; // a link's target for Kind::Link
    int mode = 0644;

    static Entry file(const QString& name, const QByteArray& data, int mode = 0644) {
        return {Kind::File, name, data, mode};
    }
    static Entry folder(const QString& name) { return {Kind::Folder, name, {}, 0755}; }
    static Entry link(const QString& name, const QString& target) {
        return {Kind::Link, name, target.toUtf8(), 0777};
    }
};

enum class Compression { Deflate, Store };

QByteArray zip(const QList<Entry>& entries, Compression compression = Compression::Deflate);

} // namespace ziptest
