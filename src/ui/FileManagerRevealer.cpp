#include "ui/FileManagerRevealer.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>

namespace {
constexpr int replyTimeoutMs = 5000;
}

FileManagerRevealer::FileManagerRevealer(Opener fallback, std::optional<QDBusConnection> bus)
    : fallback_(std::move(fallback)), bus_(std::move(bus)) {
    if (!fallback_)
        fallback_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

void FileManagerRevealer::reveal(const QString& folder) {
    const QUrl url = QUrl::fromLocalFile(folder);
    QDBusConnection bus = bus_ ? *bus_ : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        fallback_(url);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{url.toString(QUrl::FullyEncoded)} << QString();
    // Asked without waiting: a file manager that is slow to start must not stall the window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, replyTimeoutMs),
                                                QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [watcher, url, fallback = fallback_] {
                         if (watcher->isError())
                             fallback(url);
                         watcher->deleteLater();
                     });
}
