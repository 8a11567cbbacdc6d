#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Low-level readers of a Godot project on disk. None of them fails: a problem
// gives an absent value, an empty text or a default.
namespace ProjectInspector {

// The folder that directly holds "project.godot": `folder` itself or one up to
// three levels below it, shallower first; hidden folders are never entered.
std::optional<QString> findProject(const QString& folder);

// The raw text after "key=" on the first line that starts with it (the line
// trimmed first). Quotes stay part of the value.
std::optional<QString> value(const QString& key, const QString& text);

// The exact Godot release to download for an engine generation and the raw
// "config/features" value.
QString engineVersion(qint64 major, const QString& features);

// The whole file as UTF-8 text; absent when it is missing, unreadable or not UTF-8.
std::optional<QString> readText(const QString& path);

// The text of the first file in `names` (inside `folder`) that reads as UTF-8;
// empty when none does.
QString readFirst(const QStringList& names, const QString& folder);

} // namespace ProjectInspector
