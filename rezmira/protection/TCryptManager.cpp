#include "rezmira/protection/TCryptManager.h"

#include "rezmira/protection/CryptoApiBlobs.h"

#include <openssl/evp.h>

#include <array>
#include <memory>

namespace rezmira {

namespace {

using cryptoapi::SecretBytes;

[[noreturn]] void fail(const char *message) { throw CryptError(QString::fromLatin1(message)); }

struct MdCtxFree {
    void operator()(EVP_MD_CTX *ctx) const noexcept { EVP_MD_CTX_free(ctx); }
};
struct MdFree {
    void operator()(EVP_MD *md) const noexcept { EVP_MD_free(md); }
};
struct CipherFree {
    void operator()(EVP_CIPHER *cipher) const noexcept { EVP_CIPHER_free(cipher); }
};

constexpr unsigned kGeneratedKeyBits = 1024;

} // namespace

TCryptManager::TCryptManager(KeyContainerStore &userKeySet, KeyContainerStore &machineKeySet)
    : FUserKeySet(userKeySet), FMachineKeySet(machineKeySet) {}

void TCryptManager::CheckKeyStoreName() const {
    if (KeyStoreName.isEmpty())
        fail("KeyStoreName Must be set");
}

KeyContainerHandle TCryptManager::AcquireKeyStore(const QString &containerName, bool CreateKeys) {
    KeyContainerStore &store = MachineKeySet ? FMachineKeySet : FUserKeySet;
    const bool existedWithPair = !store.load(containerName).isEmpty();
    if (!store.open(containerName))
        fail("Unable Create Key Store");
    if (CreateKeys && !existedWithPair) {
        cryptoapi::EvpPkeyPtr pair = cryptoapi::generateRsaKeyPair(kGeneratedKeyBits);
        const SecretBytes blob = cryptoapi::encodePrivateKeyBlob(pair.get());
        if (blob.isEmpty() || !store.save(containerName, blob.view()))
            fail("Unable Generate Key");
    }
    return {&store, containerName};
}

void TCryptManager::ImportKeyStore(const QByteArray &keyStore, const QByteArray &password) {
    CheckKeyStoreName();
    const KeyContainerHandle container = AcquireKeyStore(KeyStoreName, false);

    std::unique_ptr<EVP_MD, MdFree> md5(EVP_MD_fetch(cryptoapi::libraryContext(), "MD5", nullptr));
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> hash(EVP_MD_CTX_new());
    if (!md5 || !hash || EVP_DigestInit_ex2(hash.get(), md5.get(), nullptr) != 1)
        fail("Unable Create Hash");
    if (EVP_DigestUpdate(hash.get(), password.constData(), std::size_t(password.size())) != 1)
        fail("Unable Hash Data");
    SecretBytes digest(16);
    unsigned digestLength = 0;
    if (EVP_DigestFinal_ex(hash.get(), digest.data(), &digestLength) != 1 || digestLength != 16)
        fail("Unable Hash Data");

    // The password key as a 128-bit provider derives it, then as a 40-bit one (salted with
    // zeros). RC4 must be there for either.
    std::unique_ptr<EVP_CIPHER, CipherFree> rc4(
        EVP_CIPHER_fetch(cryptoapi::libraryContext(), "RC4", nullptr));
    if (!rc4)
        fail("Unable Create Passowrd Key");
    std::array<SecretBytes, 2> passwordKeys{SecretBytes(digest.view()), SecretBytes(16)};
    std::copy_n(digest.data(), 5, passwordKeys[1].data());

    constexpr qsizetype kHeaderSize = 8;
    for (const SecretBytes &passwordKey : passwordKeys) {
        if (keyStore.size() <= kHeaderSize)
            break;
        SecretBytes plain{QByteArrayView(keyStore)};
        if (!cryptoapi::rc4InPlace(passwordKey, plain.data() + kHeaderSize,
                                   plain.size() - kHeaderSize))
            fail("Unable Create Passowrd Key");
        if (!cryptoapi::decodePrivateKeyBlob(plain.view()))
            continue;
        if (!container.store->save(container.name, plain.view()))
            fail("Unable Import Key");
        return;
    }
    fail("Unable Import Key");
}

void TCryptManager::DecryptMessage(QByteArray &data, const QByteArray &sessionKeyBlob) {
    CheckKeyStoreName();
    const KeyContainerHandle container = AcquireKeyStore(KeyStoreName, false);

    const std::optional<cryptoapi::RsaKeyPair> pair =
        cryptoapi::decodePrivateKeyBlob(container.store->load(container.name).view());
    if (!pair)
        fail("Unable Get User Key");

    const std::optional<cryptoapi::SessionKey> sessionKey =
        cryptoapi::unwrapSimpleBlob(*pair, QByteArrayView(sessionKeyBlob));
    if (!sessionKey)
        fail("Unable Import Session Key");

    if (!cryptoapi::decryptInPlace(*sessionKey, data))
        fail("Unable Decrypt Message");
}

} // namespace rezmira
