#pragma once

#include "project/InstalledVersion.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <optional>

class QNetworkReply;

// Asks the hosting service whether the game's branch has moved past the installed commit: one
// small request (the API answers the branch's commit id alone, 40 bytes) that never takes longer
// than its limit and fails silently, for nothing may wait for it.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    explicit UpdateCheck(QObject* parent = nullptr);

    // Drops a check under way and starts one; answered() follows on this object's thread. An
    // install without a recorded commit is answered at once with nothing.
    void start(const InstalledVersion& installed,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

    // Where the branch's commit is asked for.
    static QUrl address(const QString& branch);

signals:
    // True when the branch has moved, false when not, nothing when the service could not say.
    void answered(std::optional<bool> newer);

private:
    QNetworkAccessManager network_;
    QPointer<QNetworkReply> reply_;
};
