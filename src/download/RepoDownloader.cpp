#include "download/RepoDownloader.h"

#include "download/DownloadError.h"
#include "download/Hosting.h"
#include "project/ProjectFile.h"
#include "support/CancelToken.h"
#include "support/FolderOps.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/ZipExtractor.h"

#include <QFileInfo>
#include <QUrl>

#include <optional>

namespace RepoDownloader {
namespace {

// The first branch whose archive exists, downloaded; a 404 moves on to the next branch and any
// other failure ends the fetch.
QString downloadArchive(const MakeDownloader& makeDownloader, LogStore& log, CancelToken& token) {
    DownloadError lastError = DownloadError::noFile();
    for (const QString& branch : {QStringLiteral("main"), QStringLiteral("master")}) {
        const QUrl url(archiveUrl(branch), QUrl::StrictMode);
        if (!url.isValid() || url.isRelative())
            continue;
        log.append(QStringLiteral("Downloading ") + url.toString());
        try {
            return makeDownloader()->download(url, &token);
        } catch (const DownloadError& error) {
            if (error.kind() != DownloadError::Kind::Http || error.httpStatus() != 404)
                throw;
            lastError = error;
        }
    }
    throw lastError;
}

} // namespace

QString archiveUrl(const QString& branch) {
    return Hosting::baseUrl() + QLatin1String(Hosting::repositoryPath) +
           QStringLiteral("/archive/refs/heads/") + branch + QStringLiteral(".zip");
}

void fetchGame(const MakeDownloader& makeDownloader, LogStore& log, CancelToken& token) {
    const QString archive = downloadArchive(makeDownloader, log, token);
    const FolderCleanup archiveFolder(QFileInfo(archive).absolutePath());
    token.throwIfCancelled();

    const QString staging = Paths::gameStagingFolder();
    FolderOps::makeEmptyFolder(staging);
    FolderCleanup stagingCleanup(staging);
    log.append(QStringLiteral("Unpacking the game"));
    const int status =
        ZipExtractor::extract(archive, staging, [&log](const QString& line) { log.append(line); });
    if (status != 0)
        throw DownloadError::message(
            QStringLiteral("Unpacking the game failed (ditto exit code %1).").arg(status));
    if (!ProjectInspector::findProject(staging))
        throw DownloadError::message(QStringLiteral(
            "The downloaded game has no project.godot file, so it can't be started."));

    FolderOps::replaceFolder(staging, Paths::gameFolder());
    stagingCleanup.release();
    log.append(QStringLiteral("Game ready in ") + Paths::gameFolder());
}

} // namespace RepoDownloader
