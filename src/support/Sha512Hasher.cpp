#include "support/Sha512Hasher.h"

#include "support/Problem.h"

#include <QFile>

#include <QByteArray>

#include <openssl/evp.h>

#include <new>

Sha512Hasher::Sha512Hasher() : context_(EVP_MD_CTX_new()) {
    if (!context_ || EVP_DigestInit_ex(context_, EVP_sha512(), nullptr) != 1)
        throw std::bad_alloc();
}

Sha512Hasher::~Sha512Hasher() {
    EVP_MD_CTX_free(context_);
}

void Sha512Hasher::add(QByteArrayView data) {
    EVP_DigestUpdate(context_, data.data(), static_cast<size_t>(data.size()));
}

QString Sha512Hasher::hexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_, digest, &length);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(length)).toHex());
}

QString fileSha512(const QString& path) {
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
