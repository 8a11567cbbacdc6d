#pragma once

#include <QNetworkProxyFactory>

// The user's proxy settings (on Linux the http_proxy, https_proxy and no_proxy
// variables), except that this machine's own addresses are always reached directly.
class SystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override;

    static bool isLoopback(const QString& host);
};
