#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

// What was downloaded as the game, recorded beside it: the commit the hosting service names in
// the archive's zip comment, the branch, when, and the archive's validator (its ETag, else its
// Last-Modified date) when the server sent one.
struct InstalledVersion {
    QString commit; // 40 hexadecimal digits; empty when the archive named none
    QString branch;
    QDateTime downloaded;
    QString validator;

    // The record in `gameFolder`; nothing when it is missing or unreadable.
    static std::optional<InstalledVersion> read(const QString& gameFolder);
    // Throws a FileSystem problem.
    void write(const QString& gameFolder) const;
    // The commit a zip comment names, or empty.
    static QString commitIn(const QByteArray& zipComment);

    // "commit 1a2b3c4, downloaded 3 days ago"
    QString describe(const QDateTime& now) const;
    QJsonObject json() const;
};
