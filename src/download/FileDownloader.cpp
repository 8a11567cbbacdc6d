#include "download/FileDownloader.h"

#include "download/HttpHeaders.h"
#include "download/HttpTransfer.h"
#include "download/SystemProxyFactory.h"
#include "download/TransportErrorText.h"
#include "support/Problem.h"
#include "support/Sha512Hasher.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/stat.h>

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The private "Brennick-<UUID>" folder of one download; removed again unless kept.
class DownloadFolder {
public:
    DownloadFolder()
        : path_(QDir::tempPath() + QStringLiteral("/Brennick-") +
                QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()) {
        // Qt names no temporary directory when TMPDIR does not exist; never fall back to "/".
        if (QDir::tempPath().isEmpty() || ::mkdir(QFile::encodeName(path_).constData(), 0700) != 0)
            throw Problem(Problem::Kind::FileSystem,
                          QStringLiteral("Could not make a folder for the download in %1: %2.")
                              .arg(QDir::toNativeSeparators(QDir::tempPath()), systemError(errno)));
    }
    ~DownloadFolder() {
        if (!kept_)
            QDir(path_).removeRecursively();
    }
    DownloadFolder(const DownloadFolder&) = delete;
    DownloadFolder& operator=(const DownloadFolder&) = delete;

    const QString& path() const { return path_; }
    void keep() { kept_ = true; }

private:
    QString path_;
    bool kept_ = false;
};

// The last path component of the address as asked for (before any redirect).
QString fileNameFor(const QUrl& url) {
    const QString name = url.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("download.zip");
    return name;
}

} // namespace

// What has arrived so far, with its hash and what the server called the file then.
class FileDownloader::PartialFile {
public:
    PartialFile(const QString& path, bool sha512) : file_(path), sha512_(sha512) {
        if (!file_.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
            throw Problem(Problem::Kind::FileSystem,
                          QStringLiteral("Could not create %1: %2.")
                              .arg(QDir::toNativeSeparators(path), file_.errorString()));
        startOver();
    }

    void startOver() {
        file_.resize(0);
        file_.seek(0);
        received = 0;
        total = 0;
        validator.clear();
        hash_.reset();
        if (sha512_)
            hash_.emplace();
    }

    // A full disk reads as a sentence about the space that the whole file needs.
    void append(QByteArrayView piece) {
        if (file_.write(piece.data(), piece.size()) != piece.size()) {
            const int error = errno;
            const QString folder = QDir::tempPath();
            if (error == ENOSPC || error == EDQUOT || Volumes::freeBytes(folder) < piece.size())
                throw Problem(Problem::Kind::DiskFull,
                              Volumes::shortage(folder, std::max(total, received + piece.size()),
                                                Volumes::freeBytes(folder)));
            throw Problem(
                Problem::Kind::FileSystem,
                QStringLiteral("Could not save the download to %1: %2.")
                    .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
        }
        if (hash_)
            hash_->add(piece);
        received += piece.size();
    }

    QString path() const { return file_.fileName(); }
    QString finish() {
        file_.close();
        return hash_ ? hash_->hexDigest() : QString();
    }

    qint64 received = 0;
    qint64 total = 0;     // the whole file's size as the server declared it; 0 when unknown
    QByteArray validator; // what If-Range names when the body is asked for again

private:
    QFile file_;
    bool sha512_;
    std::optional<Sha512Hasher> hash_;
};

FileDownloader::FileDownloader(ProgressHandler onProgress, DownloadTimeouts timeouts,
                               Retries::NoticeHandler onRetry, QNetworkAccessManager* network)
    : onProgress_(std::move(onProgress)), timeouts_(std::move(timeouts)),
      onRetry_(std::move(onRetry)), network_(network) {}

FileDownloader::~FileDownloader() = default;

QNetworkAccessManager& FileDownloader::network() {
    if (!network_) {
        ownNetwork_ = std::make_unique<QNetworkAccessManager>();
        ownNetwork_->setProxyFactory(new SystemProxyFactory);
        network_ = ownNetwork_.get();
    }
    return *network_;
}

void FileDownloader::cancel() {
    stop_.cancel();
}

QString FileDownloader::download(const QUrl& url, CancelToken* token,
                                 const DownloadChecks& checks) {
    const CancelHook hook(token, [this] { cancel(); });
    stop_.throwIfCancelled();
    DownloadFolder folder;
    PartialFile file(folder.path() + QLatin1Char('/') + fileNameFor(url), checks.sha512);
    Retries::run(timeouts_, stop_, onRetry_, [&] {
        while (transfer(url, file, checks) == Attempt::StartOver)
            file.startOver();
        if (checks.isWhole && !checks.isWhole(file.path())) {
            const bool arrivedInFull = file.total > 0 && file.received == file.total;
            file.startOver();
            if (arrivedInFull)
                throw Problem(Problem::Kind::Damaged, TransportErrorText::damaged(url.host()));
            throw Problem(
                Problem::Kind::Dropped,
                TransportErrorText::forError(QNetworkReply::RemoteHostClosedError, url.host(), {}));
        }
    });
    validator_ = QString::fromLatin1(file.validator);
    sha512_ = file.finish();
    folder.keep();
    return file.path();
}

// One request for what is still missing: the rest of a body that broke off when the server can
// tell it is still the same file (If-Range), else all of it.
FileDownloader::Attempt FileDownloader::transfer(const QUrl& url, PartialFile& file,
                                                 const DownloadChecks& checks) {
    if (file.received > 0 && file.validator.isEmpty())
        file.startOver();
    HttpTransfer::Headers headers;
    const bool resuming = file.received > 0;
    if (resuming)
        headers = {{"Range", "bytes=" + QByteArray::number(file.received) + '-'},
                   {"If-Range", file.validator}};
    qint64& total = file.total;
    const auto onResponse = [&](const HttpResponse& response) {
        if (response.status == 206) {
            // Part of a file nobody asked a part of would be asked for again and again.
            if (!resuming)
                throw Problem(Problem::Kind::Network,
                              QStringLiteral("The server sent part of the file when all of it "
                                             "was asked for."));
            const auto range = HttpHeaders::contentRange(response.contentRange);
            if (!range || range->first != file.received)
                return false;
            total = range->second > 0 ? range->second : file.received + response.length;
        } else {
            if (resuming)
                file.startOver(); // a full answer: the file changed or the server ignores ranges
            total = std::max<qint64>(0, response.length);
        }
        file.validator = response.validator;
        if (total > 0) {
            QList<Volumes::Need> needs =
                checks.spaceFor ? checks.spaceFor(total) : QList<Volumes::Need>();
            needs.append({QDir::tempPath(), total - file.received});
            Volumes::require(needs);
        }
        return true;
    };
    HttpTransfer http(network(), timeouts_, onResponse, [&](QByteArrayView piece) {
        file.append(piece);
        if (onProgress_)
            onProgress_({file.received, total, speed_.update(file.received)});
    });
    const CancelHook stopTransfer(&stop_, [&http] { http.cancel(); });
    try {
        return http.run(url, headers) ? Attempt::Done : Attempt::StartOver;
    } catch (const Problem& problem) {
        if (resuming && problem.httpStatus() == 416)
            return Attempt::StartOver;
        throw;
    }
}

QString FileDownloader::fetchText(const QUrl& url, CancelToken* token) {
    const CancelHook hook(token, [this] { cancel(); });
    QByteArray body;
    Retries::run(timeouts_, stop_, onRetry_, [&] {
        body.clear();
        HttpTransfer http(
            network(), timeouts_, [](const HttpResponse&) { return true; },
            [&body](QByteArrayView piece) { body.append(piece); });
        const CancelHook stopTransfer(&stop_, [&http] { http.cancel(); });
        http.run(url);
    });
    return QString::fromUtf8(body);
}
