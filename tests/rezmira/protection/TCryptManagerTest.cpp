// TCryptManager against key stores, session keys and messages made in the test with OpenSSL:
// every cipher both ways, every rejection of a key store or a session key, the key sets.
#include "ProtectionTestSupport.h"
#include "tests/support/TestSupport.h"

#include "rezmira/protection/TCryptManager.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using namespace rezmira;
using namespace rezmira::cryptoapi;
using protectiontest::makeKeyStore;
using protectiontest::rsa1024;
using protectiontest::rsa512;

namespace {

const QByteArray kPassword = QByteArrayLiteral("qm804");

struct Rig : protectiontest::CryptRig {
    QByteArray storedPair() const {
        const SecretBytes pair = userKeys.load(crypt.KeyStoreName);
        return QByteArray(pair.view().data(), pair.view().size());
    }
};

QByteArray plainBlob(const EVP_PKEY *key) {
    const SecretBytes blob = encodePrivateKeyBlob(key);
    return QByteArray(blob.view().data(), blob.view().size());
}

// Encrypts bytes 8.. of a PRIVATEKEYBLOB with the 128-bit password key, as a key store holds it.
QByteArray protect(QByteArray blob) {
    const QByteArray md5 = QCryptographicHash::hash(kPassword, QCryptographicHash::Md5);
    if (blob.size() > 8 &&
        !rc4InPlace(SecretBytes(QByteArrayView(md5)), reinterpret_cast<unsigned char *>(blob.data()) + 8,
                    std::size_t(blob.size() - 8)))
        return {};
    return blob;
}

SessionKey sessionKey(quint32 algId, const QByteArray &key) { return {algId, SecretBytes(QByteArrayView(key))}; }

void setLe32(QByteArray &bytes, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(v >> (8 * i));
}

} // namespace

TEST(TCryptManager, BothOperationsNeedAContainerName) {
    Rig rig;
    rig.crypt.KeyStoreName.clear();
    QByteArray data("abc");
    EXPECT_THROW_MSG(rig.crypt.ImportKeyStore(makeKeyStore(rsa1024().get(), kPassword), kPassword),
                     CryptError, "KeyStoreName Must be set");
    EXPECT_THROW_MSG(rig.crypt.DecryptMessage(data, QByteArray(140, 'x')), CryptError,
                     "KeyStoreName Must be set");
    EXPECT_FALSE(QFile::exists(rig.userKeys.rootFolder())) << "nothing may be touched before the check";
}

TEST(TCryptManager, DecryptWithoutAnyImportHasNoUserKey) {
    Rig rig;
    QByteArray data("cipher");
    EXPECT_THROW_MSG(rig.crypt.DecryptMessage(data, QByteArray(140, 'x')), CryptError,
                     "Unable Get User Key");
    EXPECT_EQ(data, "cipher");
    EXPECT_TRUE(QFileInfo(rig.userKeys.rootFolder()).isDir()) << "the key set is created on first use";
}

TEST(TCryptManager, EveryCipherRoundTripsThroughTheImportedPair) {
    Rig rig;
    rig.crypt.ImportKeyStore(makeKeyStore(rsa1024().get(), kPassword), kPassword);
    EXPECT_EQ(rig.storedPair(), plainBlob(rsa1024().get()));

    const struct {
        const char *name;
        quint32 algId;
        int keyLength;
    } ciphers[] = {{"RC4-128", CALG_RC4, 16}, {"RC4-40 salted", CALG_RC4, 5}, {"RC4-56", CALG_RC4, 7},
                   {"RC2-128", CALG_RC2, 16}, {"RC2-40 salted", CALG_RC2, 5}, {"RC2-56", CALG_RC2, 7},
                   {"DES", CALG_DES, 8},      {"3DES_112", CALG_3DES_112, 16}, {"3DES", CALG_3DES, 24}};
    const QByteArray documents[] = {QByteArray(), QByteArray("x"), QByteArray(8, 'y'),
                                    QByteArray("<?xml version=\"1.0\"?><a>Результат</a>").repeated(97)};
    for (const auto &c : ciphers) {
        for (const QByteArray &document : documents) {
            SCOPED_TRACE(std::string(c.name) + " / " + std::to_string(document.size()) + " bytes");
            QByteArray key(c.keyLength, '\0');
            for (int i = 0; i < c.keyLength; ++i)
                key[i] = char(0x31 + 7 * i);
            QByteArray data = encryptMessage(sessionKey(c.algId, key), document);
            ASSERT_EQ(data.size(), c.algId == CALG_RC4 ? document.size() : (document.size() / 8 + 1) * 8);
            if (!document.isEmpty()) {
                ASSERT_NE(data, document);
            }
            const QByteArray blob = wrapSimpleBlob(rsa1024().get(), c.algId, key);
            ASSERT_EQ(blob.size(), 12 + 128);
            rig.crypt.DecryptMessage(data, blob);
            EXPECT_EQ(data, document);
        }
    }
}

TEST(TCryptManager, KeyStoreOfTheFortyBitRuleImports) {
    Rig rig;
    rig.crypt.ImportKeyStore(makeKeyStore(rsa512().get(), kPassword, true), kPassword);
    EXPECT_EQ(rig.storedPair(), plainBlob(rsa512().get()));
}

// Each damaged key store is refused, and the pair imported before stays in the container.
TEST(TCryptManager, DamagedKeyStoresAreRefusedAndKeepThePreviousPair) {
    const QByteArray good = plainBlob(rsa1024().get());
    // Offsets: header 0..7, magic 8, bitlen 12, pubexp 16, n 20 (128), p 148 (64), q 212,
    // dp 276, dq 340, qinv 404, d 468 (128).
    const struct {
        const char *name;
        std::function<QByteArray(QByteArray)> damage;
        bool encrypt;
    } cases[] = {
        {"empty file", [](QByteArray) { return QByteArray(); }, false},
        {"header only", [](QByteArray b) { return b.left(8); }, true},
        {"truncated", [](QByteArray b) { return b.left(300); }, true},
        {"one byte short", [](QByteArray b) { return b.chopped(1); }, true},
        {"trailing byte", [](QByteArray b) { return b + 'x'; }, true},
        {"stored in clear", [](QByteArray b) { return b; }, false},
        {"public key blob type", [](QByteArray b) { b[0] = 0x06; return b; }, true},
        {"version 3", [](QByteArray b) { b[1] = 0x03; return b; }, true},
        {"signature key", [](QByteArray b) { setLe32(b, 4, 0x2400); return b; }, true},
        {"magic RSA1", [](QByteArray b) { b[11] = '1'; return b; }, true},
        {"bit length 1040", [](QByteArray b) { setLe32(b, 12, 1040); return b; }, true},
        {"bit length 0", [](QByteArray b) { setLe32(b, 12, 0); return b; }, true},
        {"bit length huge", [](QByteArray b) { setLe32(b, 12, 0xfffffff0u); return b; }, true},
        {"even exponent", [](QByteArray b) { setLe32(b, 16, 65536); return b; }, true},
        {"modulus changed", [](QByteArray b) { b[30] = char(b[30] ^ 1); return b; }, true},
        {"prime changed", [](QByteArray b) { b[150] = char(b[150] ^ 1); return b; }, true},
        {"exponent1 changed", [](QByteArray b) { b[280] = char(b[280] ^ 1); return b; }, true},
        {"coefficient changed", [](QByteArray b) { b[410] = char(b[410] ^ 1); return b; }, true},
        {"private exponent changed", [](QByteArray b) { b[470] = char(b[470] ^ 1); return b; }, true},
        {"all zeros", [](QByteArray b) { return QByteArray(b.size(), '\0'); }, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.crypt.ImportKeyStore(makeKeyStore(rsa512().get(), kPassword), kPassword);
        const QByteArray damaged = c.damage(good);
        EXPECT_THROW_MSG(rig.crypt.ImportKeyStore(c.encrypt ? protect(damaged) : damaged, kPassword),
                         CryptError, "Unable Import Key");
        EXPECT_EQ(rig.storedPair(), plainBlob(rsa512().get()));
    }
}

TEST(TCryptManager, SecondImportReplacesThePair) {
    Rig rig;
    rig.crypt.ImportKeyStore(makeKeyStore(rsa1024().get(), kPassword), kPassword);
    rig.crypt.ImportKeyStore(makeKeyStore(rsa512().get(), kPassword), kPassword);
    EXPECT_EQ(rig.storedPair(), plainBlob(rsa512().get()));

    const QByteArray key(16, 'k');
    QByteArray data = encryptMessage(sessionKey(CALG_RC4, key), "document");
    EXPECT_THROW_MSG(rig.crypt.DecryptMessage(data, wrapSimpleBlob(rsa1024().get(), CALG_RC4, key)),
                     CryptError, "Unable Import Session Key");
}

// A session key that cannot be unwrapped leaves the data exactly as it was.
TEST(TCryptManager, RejectedSessionKeysLeaveTheDataUntouched) {
    Rig rig;
    rig.crypt.ImportKeyStore(makeKeyStore(rsa1024().get(), kPassword), kPassword);
    const QByteArray key24(24, 'q');
    const QByteArray good = wrapSimpleBlob(rsa1024().get(), CALG_3DES, key24);
    const struct {
        const char *name;
        QByteArray blob;
    } cases[] = {
        {"empty", QByteArray()},
        {"private key blob type", [&] { QByteArray b = good; b[0] = 0x07; return b; }()},
        {"version 3", [&] { QByteArray b = good; b[1] = 0x03; return b; }()},
        {"unknown algorithm", [&] { QByteArray b = good; setLe32(b, 4, 0x6610); return b; }()},
        {"not wrapped with the exchange key", [&] { QByteArray b = good; setLe32(b, 8, 0x6610); return b; }()},
        {"one byte short", good.chopped(1)},
        {"one byte long", good + '\0'},
        {"wrapped for a 512-bit pair", wrapSimpleBlob(rsa512().get(), CALG_3DES, key24)},
        {"damaged RSA block", [&] { QByteArray b = good; b[76] = char(b[76] ^ 0x5a); return b; }()},
        {"cipher text above the modulus", [&] { QByteArray b = good; b.replace(12, 128, QByteArray(128, '\xff')); return b; }()},
        {"DES with a 16-byte key", [&] { QByteArray b = wrapSimpleBlob(rsa1024().get(), CALG_RC4, QByteArray(16, 'k')); setLe32(b, 4, CALG_DES); return b; }()},
        {"3DES with a 16-byte key", [&] { QByteArray b = wrapSimpleBlob(rsa1024().get(), CALG_3DES_112, QByteArray(16, 'k')); setLe32(b, 4, CALG_3DES); return b; }()},
    };
    const QByteArray cipher = encryptMessage(sessionKey(CALG_3DES, key24), "<doc/>");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray data = cipher;
        EXPECT_THROW_MSG(rig.crypt.DecryptMessage(data, c.blob), CryptError, "Unable Import Session Key");
        EXPECT_EQ(data, cipher);
    }
    QByteArray data = cipher;
    rig.crypt.DecryptMessage(data, good);
    EXPECT_EQ(data, "<doc/>");
}

TEST(TCryptManager, BadBlockLengthOrPaddingFailsToDecrypt) {
    Rig rig;
    rig.crypt.ImportKeyStore(makeKeyStore(rsa1024().get(), kPassword), kPassword);
    const QByteArray key(24, 'z');
    const QByteArray blob = wrapSimpleBlob(rsa1024().get(), CALG_3DES, key);
    // CBC with a zero IV: the cipher of a 16-byte prefix is the first 16 bytes of the whole
    // cipher text, so dropping the padding block leaves the prefix's own last byte as "padding".
    auto withoutPaddingBlock = [&](const QByteArray &plain16) {
        return encryptMessage(sessionKey(CALG_3DES, key), plain16).left(16);
    };
    const struct {
        const char *name;
        QByteArray data;
    } cases[] = {
        {"empty", QByteArray()},
        {"not whole blocks", encryptMessage(sessionKey(CALG_3DES, key), "document").left(12)},
        {"last byte 0", withoutPaddingBlock(QByteArray(15, 'a') + '\0')},
        {"last byte 9", withoutPaddingBlock(QByteArray(15, 'a') + '\x09')},
        {"inconsistent padding", withoutPaddingBlock(QByteArray(14, 'a') + "\x01\x02")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray data = c.data;
        EXPECT_THROW_MSG(rig.crypt.DecryptMessage(data, blob), CryptError, "Unable Decrypt Message");
    }
    // The same trick with a valid ending decrypts: padding is judged by its bytes only.
    QByteArray data = withoutPaddingBlock(QByteArray(14, 'a') + "\x02\x02");
    rig.crypt.DecryptMessage(data, blob);
    EXPECT_EQ(data, QByteArray(14, 'a'));
}

TEST(TCryptManager, MachineKeySetIsSeparateAndMustBeCreatable) {
    Rig rig;
    rig.crypt.MachineKeySet = true;
    rig.crypt.ImportKeyStore(makeKeyStore(rsa512().get(), kPassword), kPassword);
    EXPECT_FALSE(rig.machineKeys.load(rig.crypt.KeyStoreName).isEmpty());
    EXPECT_TRUE(rig.userKeys.load(rig.crypt.KeyStoreName).isEmpty());

    // A machine key set folder that cannot be made (its parent is a file).
    QFile blocker(rig.dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FileKeyContainerStore unusable(rig.dir.filePath(QStringLiteral("blocker/keys")));
    TCryptManager crypt(rig.userKeys, unusable);
    crypt.KeyStoreName = QStringLiteral("Quorrix.Rezmira");
    crypt.MachineKeySet = true;
    QByteArray data("x");
    EXPECT_THROW_MSG(crypt.ImportKeyStore(makeKeyStore(rsa512().get(), kPassword), kPassword),
                     CryptError, "Unable Create Key Store");
    EXPECT_THROW_MSG(crypt.DecryptMessage(data, QByteArray()), CryptError, "Unable Create Key Store");
}

TEST(TCryptManager, CreateKeysGeneratesAPairOnlyForANewContainer) {
    Rig rig;
    const KeyContainerHandle handle = rig.crypt.AcquireKeyStore(QStringLiteral("Fresh"), true);
    EXPECT_EQ(handle.name, QStringLiteral("Fresh"));
    const SecretBytes generated = rig.userKeys.load(QStringLiteral("Fresh"));
    ASSERT_TRUE(decodePrivateKeyBlob(generated.view()));
    (void)rig.crypt.AcquireKeyStore(QStringLiteral("Fresh"), true);
    EXPECT_EQ(rig.userKeys.load(QStringLiteral("Fresh")).view(), generated.view());
}
