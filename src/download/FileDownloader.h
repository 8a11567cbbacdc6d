#pragma once

#include "download/DownloadProgress.h"
#include "download/DownloadTimeouts.h"
#include "download/Retries.h"
#include "download/SpeedMeter.h"
#include "support/CancelToken.h"
#include "support/Volumes.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;

// What a caller asks of a download beyond its bytes.
struct DownloadChecks {
    // A SHA-512 of the body, computed while it streams (about as much CPU as receiving, so only a
    // caller that checks a digest asks).
    bool sha512 = false;
    // The room the file will take beside its own, given its size, asked for before the body
    // comes when the size is known (the folder it will be unpacked into, say).
    std::function<QList<Volumes::Need>(qint64 size)> spaceFor;
    // Whether a finished file is whole. One that is not was damaged at the source when all the
    // bytes its length announced arrived, else it was cut short.
    std::function<bool(const QString& file)> isWhole;
};

// Fetches one large file over HTTP(S) into a private temporary folder, streaming it to disk
// (and hashing it on the way when asked), with progress and speed. A transfer that fails for a
// reason that may pass is tried again (see Retries), resuming a body that broke off where the
// server can tell it is still the same file. One object per download.
class FileDownloader {
public:
    using ProgressHandler = std::function<void(const DownloadProgress&)>;

    // `onProgress` and `onRetry` run on the thread that calls download(). `network`, when given,
    // belongs to that thread and serves every attempt; else the downloader makes its own there.
    explicit FileDownloader(ProgressHandler onProgress, DownloadTimeouts timeouts = {},
                            Retries::NoticeHandler onRetry = {},
                            QNetworkAccessManager* network = nullptr);
    ~FileDownloader();
    FileDownloader(const FileDownloader&) = delete;
    FileDownloader& operator=(const FileDownloader&) = delete;

    // Blocks the calling thread (any thread) until the download ended. Returns the file's path
    // inside a fresh "Brennick-<UUID>" folder in the temporary directory; the caller deletes that
    // folder. Throws a Problem: the HttpStatus of a final status outside 200-299, a WebPage,
    // Damaged, DiskFull or FileSystem one, or a network one; Cancelled after a cancel. A
    // failure leaves neither file nor folder behind.
    QString download(const QUrl& url, CancelToken* token = nullptr,
                     const DownloadChecks& checks = {});

    // Any thread. Ends a running download() or its wait with Cancelled; a later one never starts.
    void cancel();

    // Lower-case hex SHA-512 of the whole body, computed while it streamed; set once a
    // download() that asked for it returned successfully, empty otherwise.
    QString sha512() const { return sha512_; }
    // The file's ETag, else its Last-Modified date, as the server sent it with the body; empty
    // when it sent neither.
    QString validator() const { return validator_; }

    // The whole body at `url` as UTF-8, ill-formed bytes replaced by U+FFFD, tried again like a
    // download. Throws a Problem or Cancelled, as download() does.
    QString fetchText(const QUrl& url, CancelToken* token = nullptr);

private:
    class PartialFile;
    // Whether the file is complete, or must be asked for again from its start.
    enum class Attempt { Done, StartOver };
    Attempt transfer(const QUrl& url, PartialFile& file, const DownloadChecks& checks);
    QNetworkAccessManager& network();

    ProgressHandler onProgress_;
    DownloadTimeouts timeouts_;
    Retries::NoticeHandler onRetry_;
    SpeedMeter speed_;
    QString sha512_;
    QString validator_;
    CancelToken stop_;
    QNetworkAccessManager* network_;
    std::unique_ptr<QNetworkAccessManager> ownNetwork_;
};

using MakeDownloader = std::function<std::shared_ptr<FileDownloader>()>;
