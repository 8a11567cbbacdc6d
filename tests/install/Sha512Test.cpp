#include "engine/EngineManager.h"
#include "support/UserError.h"
#include "testkit/TestEnvironment.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace {

using Sha512Test = IsolatedTest;

TEST_F(Sha512Test, DigestsFilesOfEverySizeInLowerCaseHex) {
    testkit::writeFile(scratch(), "empty", "");
    testkit::writeFile(scratch(), "abc", "abc");
    EXPECT_EQ(EngineManager::sha512(scratch() + "/empty"),
              "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
              "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e");
    EXPECT_EQ(EngineManager::sha512(scratch() + "/abc"),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
              "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");

    // Past two chunk boundaries, with bytes that differ per chunk.
    QByteArray big(9 * 1024 * 1024 + 3, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>((i * 7919) >> 11);
    testkit::writeFile(scratch(), "big", big);
    EXPECT_EQ(
        EngineManager::sha512(scratch() + "/big"),
        QString::fromLatin1(QCryptographicHash::hash(big, QCryptographicHash::Sha512).toHex()));
}

TEST_F(Sha512Test, AnUnreadableFileIsAFileSystemError) {
    EXPECT_THROW(EngineManager::sha512(scratch() + "/missing"), FileSystemError);
    EXPECT_THROW(EngineManager::sha512(scratch()), FileSystemError) << "a folder cannot be read";
}

} // namespace
