#include "download/SystemProxyFactory.h"

#include <QHostAddress>

QList<QNetworkProxy> SystemProxyFactory::queryProxy(const QNetworkProxyQuery& query) {
    if (isLoopback(query.peerHostName()))
        return {QNetworkProxy(QNetworkProxy::NoProxy)};
    return systemProxyForQuery(query);
}

bool SystemProxyFactory::isLoopback(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}
