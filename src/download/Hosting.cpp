#include "download/Hosting.h"

QString Hosting::baseUrl() {
    QString base = qEnvironmentVariable("QUILLFIRE_HOSTING_URL");
    if (base.isEmpty())
        base = QStringLiteral("https://github.com");
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}
