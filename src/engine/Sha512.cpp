#include "engine/EngineManager.h"

#include "support/Problem.h"
#include "support/Sha512Hasher.h"

#include <QFile>

QString EngineManager::sha512(const QString& path) {
    constexpr qint64 chunkSize = 4 * 1024 * 1024;
    QFile file(path);
    const auto readError = [&file, &path] {
        return Problem(Problem::Kind::FileSystem,
                       QStringLiteral("Could not read %1 (%2).").arg(path, file.errorString()));
    };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw readError();

    Sha512Hasher hasher;
    QByteArray chunk(chunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 count = file.read(chunk.data(), chunkSize);
        if (count < 0)
            throw readError();
        if (count == 0)
            break;
        hasher.add(QByteArrayView(chunk.constData(), count));
    }
    return hasher.hexDigest();
}
