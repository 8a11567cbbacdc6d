#include "download/RepoDownloader.h"

#include "download/ArchiveUnpack.h"
#include "download/Hosting.h"
#include "project/InstalledVersion.h"
#include "project/ProjectFile.h"
#include "support/CancelToken.h"
#include "support/FolderOps.h"
#include "support/LogStore.h"
#include "support/Paths.h"
#include "support/Problem.h"
#include "support/ZipExtractor.h"

#include <QFileInfo>
#include <QUrl>

#include <optional>

namespace RepoDownloader {
namespace {

struct Downloaded {
    QString archive;
    InstalledVersion version;
};

// The first branch whose archive exists, downloaded; a 404 moves on to the next branch and any
// other failure ends the fetch.
Downloaded downloadArchive(const MakeDownloader& makeDownloader, LogStore& log,
                           CancelToken& token) {
    std::optional<Problem> notFound;
    for (const QString& branch : {QStringLiteral("main"), QStringLiteral("master")}) {
        const QUrl url(archiveUrl(branch), QUrl::StrictMode);
        if (!url.isValid() || url.isRelative())
            continue;
        log.append(QStringLiteral("Downloading ") + url.toString());
        try {
            DownloadChecks checks;
            // A branch archive comes without a length: only a whole zip shows it all arrived.
            checks.isWhole = ZipExtractor::isWhole;
            checks.spaceFor = [](qint64 size) {
                return QList<Volumes::Need>{{Paths::supportRoot(), unpackedEstimate(size)}};
            };
            const std::shared_ptr<FileDownloader> downloader = makeDownloader();
            const QString archive = downloader->download(url, &token, checks);
            return {archive,
                    {InstalledVersion::commitIn(ZipExtractor::comment(archive)), branch,
                     QDateTime::currentDateTimeUtc(), downloader->validator()}};
        } catch (const Problem& problem) {
            if (problem.httpStatus() != 404)
                throw;
            notFound = problem;
        }
    }
    if (notFound)
        throw *notFound;
    throw Problem(Problem::Kind::Game,
                  QStringLiteral("Could not build the game's download address."));
}

} // namespace

QString archiveUrl(const QString& branch) {
    return Hosting::baseUrl() + QLatin1String(Hosting::repositoryPath) +
           QStringLiteral("/archive/refs/heads/") + branch + QStringLiteral(".zip");
}

StagedGame stageGame(const MakeDownloader& makeDownloader, LogStore& log, CancelToken& token) {
    const auto [archive, version] = downloadArchive(makeDownloader, log, token);
    const FolderCleanup archiveFolder(QFileInfo(archive).absolutePath());
    token.throwIfCancelled();

    FolderOps::makeEmptyFolder(Paths::gameStagingFolder());
    StagedGame staged{{Paths::gameStagingFolder(), Paths::gameFolder()}, version};
    unpackArchive(archive, staged.folder.path(), log, QStringLiteral("the game"));
    if (!ProjectInspector::findProject(staged.folder.path()))
        throw Problem(Problem::Kind::Game,
                      QStringLiteral("The downloaded game has no project.godot file, so it "
                                     "can't be started."));
    version.write(staged.folder.path());
    return staged;
}

void fetchGame(const MakeDownloader& makeDownloader, LogStore& log, CancelToken& token) {
    StagedGame update = stageGame(makeDownloader, log, token);
    // The game it replaces stays as the previous version, unless it is the same commit.
    const std::optional<InstalledVersion> current = InstalledVersion::read(Paths::gameFolder());
    const bool same =
        current && !current->commit.isEmpty() && current->commit == update.version.commit;
    update.folder.commit(same ? QString() : Paths::previousGameFolder());
    log.append(QStringLiteral("Game ready in ") + Paths::gameFolder());
}

} // namespace RepoDownloader
