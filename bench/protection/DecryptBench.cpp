// DecryptMessage on a 50 MB document for each session cipher, beside libcrypto decrypting the
// same bytes with the same cipher directly; and DecryptDocument on a 50 MB envelope (XML parse,
// base64 and decryption). Compare the bytes_per_second of each pair; they are taken over CPU
// time, since the machine running them is usually shared.
#include "rezmira/protection/CryptoApiBlobs.h"
#include "rezmira/protection/TCryptManager.h"
#include "rezmira/protection/TXmlCryptManager.h"

#include <benchmark/benchmark.h>

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <openssl/evp.h>

#include <cstring>
#include <map>

using namespace rezmira;
using namespace rezmira::cryptoapi;

namespace {

constexpr qsizetype kDocumentSize = 50 * 1000 * 1000;

struct Cipher {
    const char *name;
    quint32 algId;
    int keyLength;
    const char *evpName;
};
const Cipher kCiphers[] = {{"RC4", CALG_RC4, 16, "RC4"},
                           {"RC2", CALG_RC2, 16, "RC2-CBC"},
                           {"DES", CALG_DES, 8, "DES-CBC"},
                           {"3DES_112", CALG_3DES_112, 16, "DES-EDE-CBC"},
                           {"3DES", CALG_3DES, 24, "DES-EDE3-CBC"}};

// One imported pair and, per cipher, the session key blob and the 50 MB cipher text.
struct Fixture {
    QTemporaryDir dir;
    FileKeyContainerStore userKeys{dir.filePath(QStringLiteral("user"))};
    FileKeyContainerStore machineKeys{dir.filePath(QStringLiteral("machine"))};
    TCryptManager crypt{userKeys, machineKeys};
    EvpPkeyPtr pair = generateRsaKeyPair(1024);
    QByteArray document;
    std::map<quint32, std::pair<QByteArray, QByteArray>> cases; // algId -> (blob, cipher text)

    Fixture() {
        crypt.KeyStoreName = QStringLiteral("Quorrix.Rezmira");
        const SecretBytes blob = encodePrivateKeyBlob(pair.get());
        QByteArray store(blob.view().data(), blob.view().size());
        const SecretBytes passwordKey(QByteArrayView(QCryptographicHash::hash("qm804", QCryptographicHash::Md5)));
        if (!rc4InPlace(passwordKey, reinterpret_cast<unsigned char *>(store.data()) + 8, std::size_t(store.size() - 8)))
            std::abort();
        crypt.ImportKeyStore(store, "qm804");
        const QByteArray line = "<question-out number=\"1\"><text>Вопрос о безопасности</text></question-out>\n";
        document = line.repeated(kDocumentSize / line.size() + 1).left(kDocumentSize);
    }
    const std::pair<QByteArray, QByteArray> &caseFor(const Cipher &c) {
        auto it = cases.find(c.algId);
        if (it == cases.end()) {
            const QByteArray key(c.keyLength, '\x42');
            it = cases.emplace(c.algId, std::pair{wrapSimpleBlob(pair.get(), c.algId, key),
                                                   encryptMessage(SessionKey{c.algId, SecretBytes(QByteArrayView(key))}, document)})
                     .first;
        }
        return it->second;
    }
};

Fixture &fixture() {
    static Fixture f;
    return f;
}

void BM_DecryptMessage(benchmark::State &state, const Cipher &c) {
    const auto &[blob, cipherText] = fixture().caseFor(c);
    QByteArray data(cipherText.size(), Qt::Uninitialized);
    for (auto _ : state) {
        state.PauseTiming();
        data.resize(cipherText.size());
        std::memcpy(data.data(), cipherText.constData(), std::size_t(cipherText.size()));
        state.ResumeTiming();
        fixture().crypt.DecryptMessage(data, blob);
        benchmark::DoNotOptimize(data.constData());
    }
    if (data != fixture().document)
        state.SkipWithError("wrong plain text");
    state.SetBytesProcessed(state.iterations() * cipherText.size());
}

// libcrypto alone: the same cipher over the same bytes in place, no padding check.
void BM_RawLibcrypto(benchmark::State &state, const Cipher &c) {
    const auto &[blob, cipherText] = fixture().caseFor(c);
    QByteArray data(cipherText.size(), Qt::Uninitialized);
    EVP_CIPHER *cipher = EVP_CIPHER_fetch(libraryContext(), c.evpName, nullptr);
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    const QByteArray key(c.keyLength, '\x42');
    const unsigned char iv[8] = {};
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(data.data(), cipherText.constData(), std::size_t(cipherText.size()));
        state.ResumeTiming();
        EVP_DecryptInit_ex2(ctx, cipher, nullptr, nullptr, nullptr);
        EVP_CIPHER_CTX_set_key_length(ctx, c.keyLength);
        if (c.algId == CALG_RC2)
            EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_SET_RC2_KEY_BITS, 8 * c.keyLength, nullptr);
        EVP_DecryptInit_ex2(ctx, nullptr, reinterpret_cast<const unsigned char *>(key.constData()), iv, nullptr);
        EVP_CIPHER_CTX_set_padding(ctx, 0);
        int n = 0;
        auto *p = reinterpret_cast<unsigned char *>(data.data());
        EVP_DecryptUpdate(ctx, p, &n, p, int(data.size()));
        EVP_DecryptFinal_ex(ctx, p + n, &n);
        benchmark::DoNotOptimize(data.constData());
    }
    if (!data.startsWith(fixture().document.left(64)))
        state.SkipWithError("wrong plain text");
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
    state.SetBytesProcessed(state.iterations() * cipherText.size());
}

// The whole envelope road: parse, two XPath reads, base64 decode, unwrap, decrypt.
void BM_DecryptDocument3DES(benchmark::State &state) {
    const Cipher &c = kCiphers[4];
    const auto &[blob, cipherText] = fixture().caseFor(c);
    const QByteArray envelope = "<?xml version=\"1.0\"?><EncryptedData xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\">"
                                "<ds:KeyInfo><EncryptedKey><CipherData><CipherValue>" + blob.toBase64() +
                                "</CipherValue></CipherData></EncryptedKey></ds:KeyInfo><CipherData><CipherValue>" +
                                cipherText.toBase64() + "</CipherValue></CipherData></EncryptedData>";
    TXmlCryptManager xmlCrypt(fixture().crypt);
    QByteArray output;
    for (auto _ : state) {
        xmlCrypt.LoadEnvelope(envelope);
        output.clear();
        xmlCrypt.DecryptDocument(output);
        benchmark::DoNotOptimize(output.constData());
    }
    if (output != fixture().document)
        state.SkipWithError("wrong plain text");
    state.SetBytesProcessed(state.iterations() * kDocumentSize);
}

const int kRegistered = [] {
    for (const Cipher &c : kCiphers) {
        benchmark::RegisterBenchmark((std::string("DecryptMessage/") + c.name).c_str(), BM_DecryptMessage, c)
            ->Unit(benchmark::kMillisecond)->MinTime(1.0);
        benchmark::RegisterBenchmark((std::string("RawLibcrypto/") + c.name).c_str(), BM_RawLibcrypto, c)
            ->Unit(benchmark::kMillisecond)->MinTime(1.0);
    }
    benchmark::RegisterBenchmark("DecryptDocument/3DES", BM_DecryptDocument3DES)
        ->Unit(benchmark::kMillisecond)->MinTime(1.0);
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
