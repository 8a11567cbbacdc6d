#include "cli/InfoReport.h"

#include "engine/EngineSpec.h"
#include "support/Paths.h"

#include <QJsonArray>

namespace {

QJsonObject engineJson(const EngineSpec& spec, Platform platform) {
    QJsonObject engine{
        {QStringLiteral("assetName"), spec.assetName(platform)},
        {QStringLiteral("archiveUrl"), spec.archiveUrl(platform)},
        {QStringLiteral("checksumUrl"), spec.checksumUrl()},
        {QStringLiteral("installFolder"), spec.installFolder()},
    };
    const QString reason = spec.unsupportedReason(platform);
    if (!reason.isEmpty())
        engine.insert(QStringLiteral("unsupportedReason"), reason);
    return engine;
}

QJsonArray controlsJson(const QList<ControlEntry>& controls) {
    QJsonArray rows;
    for (const ControlEntry& control : controls)
        rows.append(QJsonObject{{QStringLiteral("action"), control.action},
                                {QStringLiteral("keys"), control.keys}});
    return rows;
}

// One aligned "Label  value" line; an empty value reads "none".
QString row(const QString& label, const QString& value) {
    return QStringLiteral("%1 %2\n")
        .arg(label, -16)
        .arg(value.isEmpty() ? QStringLiteral("none") : value);
}

QString controlsText(const QList<ControlEntry>& controls) {
    if (controls.isEmpty())
        return QStringLiteral("  none in the game's input map\n");
    qsizetype width = 0;
    for (const ControlEntry& control : controls)
        width = std::max(width, control.action.size());
    QString text;
    for (const ControlEntry& control : controls)
        text += QStringLiteral("  %1  %2\n").arg(control.action, -int(width)).arg(control.keys);
    return text;
}

QString engineText(const EngineSpec& spec, Platform platform) {
    const QString reason = spec.unsupportedReason(platform);
    return QStringLiteral("Godot ") + spec.version +
           (spec.mono ? QStringLiteral(" (.NET build)") : QString()) +
           (reason.isEmpty() ? QString() : QStringLiteral(". ") + reason);
}

} // namespace

QJsonObject infoJson(const GameInfo& info, std::optional<bool> updateAvailable, Platform platform) {
    return {
        {QStringLiteral("projectDir"), info.projectDir},
        {QStringLiteral("projectName"), info.projectName},
        {QStringLiteral("configVersion"), info.configVersion},
        {QStringLiteral("engineMajor"), info.engineMajor},
        {QStringLiteral("engineVersion"), info.engineVersion},
        {QStringLiteral("usesCSharp"), info.usesCSharp},
        {QStringLiteral("is3D"), info.is3D},
        {QStringLiteral("mainScene"), info.mainScene},
        {QStringLiteral("summary"), info.summary},
        {QStringLiteral("licenseName"), info.licenseName},
        {QStringLiteral("copyrightLine"), info.copyrightLine},
        {QStringLiteral("controls"), controlsJson(info.controls)},
        {QStringLiteral("engine"), engineJson(EngineSpec::forGame(&info), platform)},
        {QStringLiteral("supportRoot"), Paths::supportRoot()},
        {QStringLiteral("savesFolder"), Paths::savesFolder(info.projectName)},
        {QStringLiteral("installed"),
         info.installed ? QJsonValue(info.installed->json()) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("updateAvailable"),
         updateAvailable ? QJsonValue(*updateAvailable) : QJsonValue(QJsonValue::Null)},
    };
}

QString infoText(const GameInfo& info, std::optional<bool> updateAvailable, Platform platform) {
    const EngineSpec spec = EngineSpec::forGame(&info);
    QString text = info.projectName + QLatin1Char('\n');
    if (!info.summary.isEmpty())
        text += info.summary + QLatin1Char('\n');
    text += QLatin1Char('\n');
    text += row(QStringLiteral("Kind"), info.is3D ? QStringLiteral("3D") : QStringLiteral("2D"));
    text += row(QStringLiteral("Engine"), engineText(spec, platform));
    text += row(QStringLiteral("Licence"), info.licenseName);
    text += row(QStringLiteral("Copyright"), info.copyrightLine);
    text += row(QStringLiteral("Main scene"), info.mainScene);
    text += row(QStringLiteral("Project folder"), info.projectDir);
    if (info.installed)
        text += row(QStringLiteral("Installed"),
                    info.installed->describe(QDateTime::currentDateTimeUtc()));
    if (updateAvailable.value_or(false))
        text += row(QStringLiteral("Newer version"), QStringLiteral("available: quillfire update"));
    text += QStringLiteral("\nControls\n") + controlsText(info.controls) + QLatin1Char('\n');
    text += row(QStringLiteral("Engine asset"), spec.assetName(platform));
    text += row(QStringLiteral("Engine folder"), spec.installFolder());
    text += row(QStringLiteral("Launcher folder"), Paths::supportRoot());
    text += row(QStringLiteral("Saved games"), Paths::savesFolder(info.projectName));
    return text;
}
