#include "engine/EngineManager.h"

#include "download/ArchiveUnpack.h"
#include "engine/ChecksumList.h"
#include "engine/ProgramLookup.h"
#include "support/CancelToken.h"
#include "support/FolderManifest.h"
#include "support/FolderOps.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "support/Sha512Hasher.h"
#include "support/Volumes.h"

#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QUuid>

namespace EngineManager {
namespace {

std::optional<QUrl> absoluteUrl(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    return url;
}

StagedFolder makeStagingFolder(const EngineSpec& spec) {
    FolderOps::makeFolder(Paths::engineFolder());
    const QString staging = Paths::engineFolder() + QStringLiteral("/staging-") +
                            QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    FolderOps::makeFolder(staging);
    return {staging, spec.installFolder()};
}

// macOS refuses to start a downloaded program while it carries the quarantine mark. The tool's
// exit status does not matter: a build without the mark is fine as it is.
void clearQuarantine(const QString& folder, LogStore& log) {
    log.append(QStringLiteral("Clearing the macOS download-quarantine flag on the verified Godot "
                              "app (otherwise macOS blocks it from starting)"));
    const QString tool = QStringLiteral("/usr/bin/xattr");
    QProcess xattr;
    xattr.setProcessChannelMode(QProcess::MergedChannels);
    xattr.start(tool, {QStringLiteral("-dr"), QStringLiteral("com.apple.quarantine"), folder});
    if (!xattr.waitForStarted(-1))
        throw Problem(Problem::Kind::Engine,
                      QStringLiteral("Could not run %1 (%2).").arg(tool, xattr.errorString()));
    xattr.waitForFinished(-1);
    const QString output = QString::fromUtf8(xattr.readAll());
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        log.append(line);
}

} // namespace

void install(const EngineSpec& spec, const MakeDownloader& makeDownloader, LogStore& log,
             CancelToken& token) {
    install(spec, hostPlatform(), makeDownloader, log, token);
}

void install(const EngineSpec& spec, Platform platform, const MakeDownloader& makeDownloader,
             LogStore& log, CancelToken& token) {
    stage(spec, platform, makeDownloader, log, token).commit();
    log.append(QStringLiteral("Godot ") + spec.version +
               (spec.mono ? QStringLiteral(" (.NET)") : QString()) + QStringLiteral(" installed"));
}

StagedFolder stage(const EngineSpec& spec, Platform platform, const MakeDownloader& makeDownloader,
                   LogStore& log, CancelToken& token) {
    if (const QString reason = spec.unsupportedReason(platform); !reason.isEmpty())
        throw Problem(Problem::Kind::Engine, reason);
    const QString asset = spec.assetName(platform);
    const std::optional<QUrl> archiveUrl = absoluteUrl(spec.archiveUrl(platform));
    const std::optional<QUrl> checksumUrl = absoluteUrl(spec.checksumUrl());
    if (!archiveUrl || !checksumUrl)
        throw Problem(Problem::Kind::Engine,
                      QStringLiteral("Could not build the Godot download address."));

    log.append(QStringLiteral("Downloading ") + archiveUrl->toString());
    const std::shared_ptr<FileDownloader> downloader = makeDownloader();
    DownloadChecks checks;
    checks.sha512 = true;
    checks.spaceFor = [](qint64 size) {
        return QList<Volumes::Need>{{Paths::engineFolder(), unpackedEstimate(size)}};
    };
    const QString archive = downloader->download(*archiveUrl, &token, checks);
    const FolderCleanup archiveFolder(QFileInfo(archive).absolutePath());
    token.throwIfCancelled();

    log.append(QStringLiteral("Checking the download against Godot's published SHA512 checksum"));
    const QString list = downloader->fetchText(*checksumUrl, &token);
    const std::optional<QString> expected = ChecksumList::digestFor(list, asset);
    if (!expected)
        throw Problem(Problem::Kind::Engine,
                      QStringLiteral("Godot's checksum list has no entry for ") + asset +
                          QStringLiteral(", so the download can't be verified."));
    // The downloader hashed the body while it arrived; reading the archive again is the fallback.
    QString actual = downloader->sha512();
    if (actual.isEmpty())
        actual = fileSha512(archive);
    if (actual != *expected)
        throw Problem(Problem::Kind::Damaged,
                      QStringLiteral("The Godot download does not match its "
                                     "published checksum, so it was thrown away. "
                                     "Try again."));
    log.append(QStringLiteral("Checksum OK"));
    token.throwIfCancelled();

    StagedFolder staged = makeStagingFolder(spec);
    unpackArchive(archive, staged.path(), log, QStringLiteral("Godot"));
    if (platform == Platform::MacOS)
        clearQuarantine(staged.path(), log);
    // Checked before the swap: an archive without the program must not replace a working build.
    if (!ProgramLookup::find(staged.path(), asset, platform))
        throw Problem(Problem::Kind::Engine,
                      QStringLiteral("Godot was unpacked but its program was not found."));
    FolderManifest::write(staged.path());
    return staged;
}

std::optional<QString> executable(const EngineSpec& spec) {
    const Platform platform = hostPlatform();
    if (!spec.unsupportedReason(platform).isEmpty())
        return std::nullopt;
    return ProgramLookup::find(spec.installFolder(), spec.assetName(platform), platform);
}

} // namespace EngineManager
