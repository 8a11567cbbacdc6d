#include "download/UpdateCheck.h"

#include "download/Hosting.h"
#include "download/SystemProxyFactory.h"

#include <QNetworkReply>
#include <QNetworkRequest>

UpdateCheck::UpdateCheck(QObject* parent) : QObject(parent) {
    network_.setProxyFactory(new SystemProxyFactory);
}

QUrl UpdateCheck::address(const QString& branch) {
    return QUrl(Hosting::apiUrl() + QStringLiteral("/repos") +
                QLatin1String(Hosting::repositoryPath) + QStringLiteral("/commits/") + branch);
}

void UpdateCheck::start(const InstalledVersion& installed, std::chrono::milliseconds limit) {
    if (reply_) {
        reply_->disconnect(this);
        reply_->abort();
    }
    if (installed.commit.isEmpty() || installed.branch.isEmpty()) {
        emit answered(std::nullopt);
        return;
    }
    QNetworkRequest request(address(installed.branch));
    request.setRawHeader("Accept", "application/vnd.github.sha");
    request.setTransferTimeout(int(limit.count()));
    QNetworkReply* reply = network_.get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, commit = installed.commit] {
        reply->deleteLater();
        const QString latest = InstalledVersion::commitIn(reply->read(64));
        const bool said = reply->error() == QNetworkReply::NoError && !latest.isEmpty();
        emit answered(said ? std::optional(latest != commit) : std::nullopt);
    });
}
