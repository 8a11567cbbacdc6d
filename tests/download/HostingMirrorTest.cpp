#include "DownloadFixture.h"

#include "download/DownloadError.h"
#include "download/Hosting.h"
#include "engine/EngineSpec.h"

#include <QScopeGuard>

// The mirror answers where the launcher looks, and the published digest matches the one
// the downloader computes while streaming.
TEST_F(DownloadFixture, MirrorServesTheGameArchiveAndAVerifiableEngine) {
    const QByteArray hostingBefore = qgetenv("QUILLFIRE_HOSTING_URL");
    const auto restore = qScopeGuard([&] { qputenv("QUILLFIRE_HOSTING_URL", hostingBefore); });
    server.useAsHostingService();
    const EngineSpec spec;
    server.serveEngine(spec, bodyOfSize(300'000), Platform::LinuxX86_64);
    server.serveGameArchive("game zip", QStringLiteral("master"));

    FileDownloader engine(nullptr);
    const QString archive = engine.download(QUrl(spec.archiveUrl(Platform::LinuxX86_64)), nullptr,
                                            FileDownloader::Digest::Sha512);
    EXPECT_EQ(QFileInfo(archive).fileName(), QStringLiteral("Godot_v3.5.3-stable_x11.64.zip"));
    EXPECT_EQ(FileDownloader::fetchText(QUrl(spec.checksumUrl())),
              engine.sha512() + QStringLiteral("  Godot_v3.5.3-stable_x11.64.zip\n"));
    QDir(QFileInfo(archive).absolutePath()).removeRecursively();

    const QString branches = Hosting::baseUrl() + QLatin1String(Hosting::repositoryPath) +
                             QStringLiteral("/archive/refs/heads/");
    FileDownloader game(nullptr);
    const QString zip = game.download(QUrl(branches + QStringLiteral("master.zip")));
    EXPECT_EQ(testkit::readFile(zip), "game zip");
    QDir(QFileInfo(zip).absolutePath()).removeRecursively();
    try {
        FileDownloader(nullptr).download(QUrl(branches + QStringLiteral("main.zip")));
        ADD_FAILURE() << "no main branch was served";
    } catch (const DownloadError& error) {
        EXPECT_EQ(error.httpStatus(), 404);
    }
}
