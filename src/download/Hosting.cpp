#include "download/Hosting.h"

namespace {

QString addressFrom(const char* variable, const QString& fallback) {
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty())
        base = fallback;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

} // namespace

QString Hosting::baseUrl() {
    return addressFrom("QUILLFIRE_HOSTING_URL", QStringLiteral("https://github.com"));
}

QString Hosting::apiUrl() {
    return addressFrom("QUILLFIRE_API_URL", QStringLiteral("https://api.github.com"));
}
