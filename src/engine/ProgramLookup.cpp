#include "engine/ProgramLookup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <algorithm>

namespace ProgramLookup {
namespace {

QString linuxProgramPath(const QString& installFolder, const QString& assetName) {
    QString base = assetName;
    if (base.endsWith(QLatin1String(".zip")))
        base.chop(4);
    if (!base.contains(QLatin1String("_mono_")))
        return installFolder + QLatin1Char('/') + base;
    QString program = base;
    program.replace(QLatin1String("mono_linux_"), QLatin1String("mono_linux."));
    program.replace(QLatin1String("mono_x11_"), QLatin1String("mono_x11."));
    return installFolder + QLatin1Char('/') + base + QLatin1Char('/') + program;
}

// Zips made without Unix modes lose the execute bit; give it to whoever may read the file.
bool makeRunnable(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.isExecutable())
        return true;
    QFileDevice::Permissions permissions =
        info.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (permissions & QFileDevice::ReadGroup)
        permissions |= QFileDevice::ExeGroup;
    if (permissions & QFileDevice::ReadOther)
        permissions |= QFileDevice::ExeOther;
    return QFile::setPermissions(path, permissions) && QFileInfo(path).isExecutable();
}

// The program an application bundle declares in its Contents/Info.plist; empty when none.
QString bundleExecutableName(const QString& bundle) {
    QFile plist(bundle + QStringLiteral("/Contents/Info.plist"));
    if (!plist.open(QIODevice::ReadOnly))
        return {};
    // <plist><dict><key>CFBundleExecutable</key><string>Godot</string>...</dict></plist>
    QXmlStreamReader xml(&plist);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist") ||
        !xml.readNextStartElement() || xml.name() != QLatin1String("dict"))
        return {};
    QString key;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("key")) {
            key = xml.readElementText();
            continue;
        }
        if (key == QLatin1String("CFBundleExecutable") && xml.name() == QLatin1String("string")) {
            const QString name = xml.readElementText().trimmed();
            // A plain name inside Contents/MacOS, never a path out of the bundle.
            return name.contains(QLatin1Char('/')) ? QString() : name;
        }
        key.clear();
        xml.skipCurrentElement();
    }
    return {};
}

std::optional<QString> bundleProgram(const QString& installFolder) {
    const QFileInfoList entries =
        QDir(installFolder)
            .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                           QDir::Name);
    const auto bundle = std::find_if(entries.begin(), entries.end(), [](const QFileInfo& entry) {
        return entry.suffix() == QLatin1String("app");
    });
    if (bundle == entries.end())
        return std::nullopt;
    const QString name = bundleExecutableName(bundle->filePath());
    const QFileInfo program(bundle->filePath() + QStringLiteral("/Contents/MacOS/") + name);
    if (name.isEmpty() || !program.isFile() || !program.isExecutable())
        return std::nullopt;
    return program.filePath();
}

} // namespace

std::optional<QString> find(const QString& installFolder, const QString& assetName,
                            Platform platform) {
    if (platform == Platform::MacOS)
        return bundleProgram(installFolder);
    const QString program = linuxProgramPath(installFolder, assetName);
    if (!makeRunnable(program))
        return std::nullopt;
    return program;
}

} // namespace ProgramLookup
