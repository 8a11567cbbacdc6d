#pragma once

#include "download/DownloadProgress.h"
#include "download/DownloadTimeouts.h"
#include "download/SpeedMeter.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <mutex>

class CancelToken;
class HttpTransfer;

// Fetches one large file over HTTP(S) into a private temporary folder, streaming it to
// disk (and hashing it on the way when asked), with progress and speed. One object per download.
class FileDownloader {
public:
    using ProgressHandler = std::function<void(const DownloadProgress&)>;
    // Hashing costs about as much CPU as receiving, so only a caller that checks a digest asks.
    enum class Digest { None, Sha512 };

    // `onProgress` runs on the thread that calls download(), for every piece of the body.
    explicit FileDownloader(ProgressHandler onProgress, DownloadTimeouts timeouts = {});
    ~FileDownloader();
    FileDownloader(const FileDownloader&) = delete;
    FileDownloader& operator=(const FileDownloader&) = delete;

    // Blocks the calling thread (any thread) until the transfer ended. Returns the file's
    // path inside a fresh "Brennick-<UUID>" folder in the temporary directory; the caller
    // deletes that folder. Throws DownloadError::http(status) for a final status outside
    // 200-299, DownloadError::noFile() when no file could be created, FileSystemError when
    // writing it failed, TransportError when the network failed, Cancelled after a cancel.
    // A failure leaves neither file nor folder behind.
    QString download(const QUrl& url, CancelToken* token = nullptr, Digest digest = Digest::None);

    // Any thread. Ends a running download() with Cancelled; a later one never starts.
    void cancel();

    // Lower-case hex SHA-512 of the body, computed while it streamed; set once a download()
    // that asked for Digest::Sha512 returned successfully, empty otherwise.
    QString sha512() const { return sha512_; }

    // The whole body at `url` as UTF-8, ill-formed bytes replaced by U+FFFD. Throws
    // DownloadError::http for a status outside 200-299, TransportError, Cancelled.
    static QString fetchText(const QUrl& url, CancelToken* token = nullptr);

private:
    ProgressHandler onProgress_;
    DownloadTimeouts timeouts_;
    SpeedMeter speed_;
    QString sha512_;
    std::mutex mutex_; // guards the two fields below against cancel() from other threads
    bool cancelled_ = false;
    HttpTransfer* running_ = nullptr;
};

using MakeDownloader = std::function<std::shared_ptr<FileDownloader>()>;
