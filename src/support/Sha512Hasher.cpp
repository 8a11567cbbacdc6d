#include "support/Sha512Hasher.h"

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
