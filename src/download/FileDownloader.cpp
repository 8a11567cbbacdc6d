#include "download/FileDownloader.h"

#include "support/Sha512Hasher.h"

#include "download/DownloadError.h"
#include "download/HttpTransfer.h"
#include "support/CancelToken.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QUuid>

#include <optional>

namespace {

// The private "Brennick-<UUID>" folder of one download; removed again unless kept.
class DownloadFolder {
public:
    // Qt names no temporary directory when TMPDIR does not exist; never fall back to "/".
    DownloadFolder()
        : path_(QDir::tempPath() + QStringLiteral("/Brennick-") +
                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()),
          created_(!QDir::tempPath().isEmpty() && QDir().mkpath(path_)) {}
    ~DownloadFolder() {
        if (created_ && !kept_)
            QDir(path_).removeRecursively();
    }
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;

    bool created() const { return created_; }
    const QString& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    QString path_;
    bool created_;
    bool kept_ = false;
};

// The last path component of the address as asked for (before any redirect).
QString fileNameFor(const QUrl& url) {
    const QString name = url.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("download.zip");
    return name;
}

FileSystemError writeError(const QFile& file) {
    return FileSystemError(QStringLiteral("Could not save the download to %1: %2.")
                               .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
}

} // namespace

FileDownloader::FileDownloader(ProgressHandler onProgress, DownloadTimeouts timeouts)
    : onProgress_(std::move(onProgress)), timeouts_(timeouts) {}

FileDownloader::~FileDownloader() = default;

QString FileDownloader::download(const QUrl& url, CancelToken* token, Digest digest) {
    DownloadFolder folder;
    if (!folder.created())
        throw DownloadError::noFile();
    QFile file(folder.path() + QLatin1Char('/') + fileNameFor(url));
    if (!file.open(QIODevice::WriteOnly))
        throw DownloadError::noFile();

    std::optional<Sha512Hasher> hash;
    if (digest == Digest::Sha512)
        hash.emplace();
    qint64 received = 0;
    HttpTransfer transfer(timeouts_, [&](QByteArrayView piece, qint64 total) {
        if (file.write(piece.data(), piece.size()) != piece.size())
            throw writeError(file);
        if (hash)
            hash->add(piece);
        received += piece.size();
        if (onProgress_)
            onProgress_({received, total, speed_.update(received)});
    });
    {
        std::lock_guard lock(mutex_);
        if (cancelled_)
            throw Cancelled();
        running_ = &transfer;
    }
    const auto detach = qScopeGuard([this] {
        std::lock_guard lock(mutex_);
        running_ = nullptr;
    });
    CancelHook hook(token, [this] { cancel(); });
    transfer.run(url);

    if (!file.flush())
        throw writeError(file);
    file.close();
    if (hash)
        sha512_ = hash->hexDigest();
    folder.keep();
    return file.fileName();
}

void FileDownloader::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (running_)
        running_->cancel();
}

QString FileDownloader::fetchText(const QUrl& url, CancelToken* token) {
    QByteArray body;
    HttpTransfer transfer({}, [&body](QByteArrayView piece, qint64) { body.append(piece); });
    CancelHook hook(token, [&transfer] { transfer.cancel(); });
    transfer.run(url);
    return QString::fromUtf8(body);
}
