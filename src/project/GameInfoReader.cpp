#include "project/GameInfoReader.h"

#include "project/Controls.h"
#include "project/LicenceNames.h"
#include "project/ProjectFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace ProjectInspector {

namespace {

const QStringList& readmeNames() {
    static const QStringList names{QStringLiteral("README.md"), QStringLiteral("README.txt"),
                                   QStringLiteral("README"), QStringLiteral("readme.md")};
    return names;
}

const QStringList& licenseNames() {
    static const QStringList names{QStringLiteral("LICENSE"), QStringLiteral("LICENSE.md"),
                                   QStringLiteral("LICENSE.txt"), QStringLiteral("COPYING"),
                                   QStringLiteral("MIT_LICENSE.txt")};
    return names;
}

QStringView stripEnds(QStringView text, QStringView characters) {
    while (!text.isEmpty() && characters.contains(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && characters.contains(text.back()))
        text.chop(1);
    return text;
}

// Non-empty lines, each without surrounding spaces and tabs, nor the backslash that breaks
// a Markdown line. A line of only spaces stays, as an empty line. A CRLF file reads like
// its LF twin.
QList<QStringView> trimmedLines(QStringView text) {
    QList<QStringView> lines;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        line = stripEnds(line, u" \t");
        if (line.endsWith(u'\\'))
            line = stripEnds(line.chopped(1), u" \t");
        lines.append(line);
    }
    return lines;
}

QString settingText(const QString& key, const QString& projectText) {
    return value(key, projectText).value_or(QString());
}

// A quoted setting without its quotes; tabs are kept.
QString unquoted(const QString& key, const QString& projectText) {
    return stripEnds(settingText(key, projectText), u"\" ").toString();
}

// An optional sign and decimal digits, nothing else; 4 otherwise.
qint64 configVersion(const QString& projectText) {
    const QString text = settingText(QStringLiteral("config_version"), projectText);
    const QStringView digits =
        text.startsWith(u'+') || text.startsWith(u'-') ? QStringView(text).sliced(1) : text;
    const bool wellFormed =
        !digits.isEmpty() &&
        std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    bool ok = false;
    const qint64 number = wellFormed ? text.toLongLong(&ok) : 0;
    return ok ? number : 4;
}

bool usesCSharp(const QString& projectDir, const QString& features) {
    if (features.contains(QLatin1String("C#")))
        return true;
    const QStringList names =
        QDir(projectDir)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Unsorted);
    return std::any_of(names.begin(), names.end(), [](const QString& name) {
        return name.endsWith(QLatin1String(".csproj")) || name.endsWith(QLatin1String(".sln"));
    });
}

// The layer settings name the game's dimension; without them, the main scene's root node does.
bool is3D(const QString& projectDir, const QString& projectText, const QString& mainScene) {
    if (projectText.contains(QLatin1String("3d_physics")) ||
        projectText.contains(QLatin1String("3d_render")))
        return true;
    if (projectText.contains(QLatin1String("2d_physics")) ||
        projectText.contains(QLatin1String("2d_render")))
        return false;
    const QString scenePath = QString(mainScene).remove(QStringLiteral("res://"));
    const QString scene = readFirst({scenePath}, projectDir);
    return scene.contains(QLatin1String("\"Spatial\"")) ||
           scene.contains(QLatin1String("\"Node3D\""));
}

} // namespace

GameInfo inspect(const QString& projectDir) {
    const QString projectText = readFirst({QStringLiteral("project.godot")}, projectDir);
    const QString features = settingText(QStringLiteral("config/features"), projectText);
    const QString name = unquoted(QStringLiteral("config/name"), projectText);

    GameInfo info;
    info.projectDir = projectDir;
    info.projectName = name.isEmpty() ? QDir(projectDir).dirName() : name;
    info.configVersion = configVersion(projectText);
    info.engineMajor = info.configVersion > 4 ? 4 : 3;
    info.engineVersion = engineVersion(info.engineMajor, features);
    info.usesCSharp = usesCSharp(projectDir, features);
    info.mainScene = unquoted(QStringLiteral("run/main_scene"), projectText);
    info.is3D = is3D(projectDir, projectText, info.mainScene);
    info.summary = detail::summary(readFirst(readmeNames(), projectDir));
    const detail::LicenseText license = detail::readLicense(projectDir);
    info.licenseName = license.name;
    info.copyrightLine = license.copyrightLine;
    info.controls = parseControls(projectText);
    return info;
}

namespace detail {

LicenseText readLicense(const QString& projectDir) {
    const QString text = readFirst(licenseNames(), projectDir);
    if (text.isEmpty())
        return {QStringLiteral("No licence file found in the repository"), {}};
    const QList<QStringView> lines = trimmedLines(text);
    if (lines.isEmpty())
        return {QStringLiteral("See LICENSE"), {}};
    const auto copyright = std::find_if(lines.begin(), lines.end(), [](QStringView line) {
        return line.startsWith(u"copyright", Qt::CaseInsensitive);
    });
    const QString copyrightLine = copyright != lines.end() ? copyright->toString() : QString();
    // Many licences open with their copyright line, which must not pass for their name too.
    QString name = licenceName(text);
    if (name.isEmpty())
        name = lines.first() == copyrightLine ? QStringLiteral("See LICENSE")
                                              : lines.first().toString();
    return {name, copyrightLine};
}

QString summary(const QString& readmeText) {
    for (const QStringView line : trimmedLines(readmeText)) {
        if (!line.isEmpty() && !line.startsWith(u'#') && !line.startsWith(u'[') &&
            !line.startsWith(u'!') && !line.startsWith(u"---"))
            return line.toString();
    }
    return {};
}

} // namespace detail

} // namespace ProjectInspector
