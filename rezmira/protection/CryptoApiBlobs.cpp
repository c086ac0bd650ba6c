#include "rezmira/protection/CryptoApiBlobs.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/params.h>
#include <openssl/provider.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace rezmira::cryptoapi {

// ---------------------------------------------------------------------------------------------
// SecretBytes

SecretBytes::SecretBytes(std::size_t size) : m_data(new unsigned char[size]()), m_size(size) {}

SecretBytes::SecretBytes(QByteArrayView bytes) : SecretBytes(std::size_t(bytes.size())) {
    if (m_size)
        std::memcpy(m_data.get(), bytes.data(), m_size);
}

SecretBytes::~SecretBytes() { wipe(); }

SecretBytes::SecretBytes(SecretBytes &&other) noexcept
    : m_data(std::move(other.m_data)), m_size(std::exchange(other.m_size, 0)) {}

SecretBytes &SecretBytes::operator=(SecretBytes &&other) noexcept {
    if (this != &other) {
        wipe();
        m_data = std::move(other.m_data);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void SecretBytes::wipe() noexcept {
    if (m_data && m_size)
        OPENSSL_cleanse(m_data.get(), m_size);
}

// ---------------------------------------------------------------------------------------------
// OpenSSL plumbing

namespace {

struct Context {
    OSSL_LIB_CTX *ctx = OSSL_LIB_CTX_new();
    OSSL_PROVIDER *defaultProvider = ctx ? OSSL_PROVIDER_load(ctx, "default") : nullptr;
    OSSL_PROVIDER *legacyProvider = ctx ? OSSL_PROVIDER_load(ctx, "legacy") : nullptr;
    ~Context() {
        if (legacyProvider)
            OSSL_PROVIDER_unload(legacyProvider);
        if (defaultProvider)
            OSSL_PROVIDER_unload(defaultProvider);
        OSSL_LIB_CTX_free(ctx);
    }
};

struct BnFree {
    void operator()(BIGNUM *bn) const noexcept { BN_clear_free(bn); }
};
using BnPtr = std::unique_ptr<BIGNUM, BnFree>;
struct BnCtxFree {
    void operator()(BN_CTX *ctx) const noexcept { BN_CTX_free(ctx); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX *ctx) const noexcept { EVP_PKEY_CTX_free(ctx); }
};
using PkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree>;
struct ParamBldFree {
    void operator()(OSSL_PARAM_BLD *bld) const noexcept { OSSL_PARAM_BLD_free(bld); }
};
struct ParamFree {
    // The numbers are secure BIGNUMs, so the builder keeps them in the array's secure part,
    // which is wiped when freed.
    void operator()(OSSL_PARAM *params) const noexcept { OSSL_PARAM_free(params); }
};
struct CipherFree {
    void operator()(EVP_CIPHER *cipher) const noexcept { EVP_CIPHER_free(cipher); }
};
using CipherPtr = std::unique_ptr<EVP_CIPHER, CipherFree>;
struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX *ctx) const noexcept { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

quint32 readLe32(const unsigned char *p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

void writeLe32(unsigned char *p, quint32 v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

BnPtr leNumber(const unsigned char *p, std::size_t size) {
    BnPtr bn(BN_secure_new());
    if (!bn || !BN_lebin2bn(p, int(size), bn.get()))
        return nullptr;
    return bn;
}

constexpr std::size_t kHeaderSize = 8;  // BLOBHEADER
constexpr std::size_t kRsaPubKeySize = 12; // magic, bitlen, pubexp
constexpr quint32 kMagicRsa2 = 0x32415352; // "RSA2"
constexpr quint32 kMinBits = 384;
constexpr quint32 kMaxBits = 16384;

std::size_t privateBlobSize(quint32 bits) { return 20 + 2 * (bits / 8) + 5 * (bits / 16); }

const char *cipherName(quint32 algId) {
    switch (algId) {
    case CALG_RC4: return "RC4";
    case CALG_RC2: return "RC2-CBC";
    case CALG_DES: return "DES-CBC";
    case CALG_3DES_112: return "DES-EDE-CBC";
    case CALG_3DES: return "DES-EDE3-CBC";
    default: return nullptr;
    }
}

// Runs the session cipher over `data` in place (out == in is allowed by EVP for whole-call
// updates). Block ciphers run with OpenSSL's padding off; the caller adds or checks it.
bool runCipher(const SessionKey &session, unsigned char *data, std::size_t size, bool encrypt) {
    const char *name = cipherName(session.algId);
    if (!name || !sessionKeyLengthSuits(session.algId, session.key.size()))
        return false;
    CipherPtr cipher(EVP_CIPHER_fetch(libraryContext(), name, nullptr));
    CipherCtxPtr ctx(EVP_CIPHER_CTX_new());
    if (!cipher || !ctx)
        return false;

    // A 40-bit key of the RC ciphers is salted with 11 zero bytes; the effective RC2 key bits
    // stay those of the key itself.
    const bool rcCipher = session.algId == CALG_RC4 || session.algId == CALG_RC2;
    const std::size_t materialSize =
        rcCipher && session.key.size() == 5 ? 16 : session.key.size();
    SecretBytes material(materialSize);
    std::memcpy(material.data(), session.key.data(), session.key.size());
    const std::array<unsigned char, 8> zeroIv{};

    if (EVP_CipherInit_ex2(ctx.get(), cipher.get(), nullptr, nullptr, encrypt ? 1 : 0,
                           nullptr) != 1)
        return false;
    if (rcCipher && EVP_CIPHER_CTX_set_key_length(ctx.get(), int(materialSize)) != 1)
        return false;
    if (session.algId == CALG_RC2 &&
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_SET_RC2_KEY_BITS, int(8 * session.key.size()),
                            nullptr) != 1)
        return false;
    if (EVP_CIPHER_CTX_get_key_length(ctx.get()) != int(materialSize))
        return false;
    if (EVP_CipherInit_ex2(ctx.get(), nullptr, material.data(),
                           session.algId == CALG_RC4 ? nullptr : zeroIv.data(), -1,
                           nullptr) != 1)
        return false;
    EVP_CIPHER_CTX_set_padding(ctx.get(), 0);

    // EVP lengths are int: feed very large buffers in whole-block chunks.
    constexpr std::size_t kChunk = std::size_t(1) << 30;
    for (std::size_t done = 0; done < size;) {
        const std::size_t n = std::min(kChunk, size - done);
        int outLength = 0;
        if (EVP_CipherUpdate(ctx.get(), data + done, &outLength, data + done, int(n)) != 1 ||
            std::size_t(outLength) != n)
            return false;
        done += n;
    }
    int finalLength = 0;
    unsigned char tail[16];
    return EVP_CipherFinal_ex(ctx.get(), tail, &finalLength) == 1 && finalLength == 0;
}

} // namespace

OSSL_LIB_CTX *libraryContext() {
    static Context context;
    return context.ctx;
}

void EvpPkeyFree::operator()(EVP_PKEY *key) const noexcept { EVP_PKEY_free(key); }

// ---------------------------------------------------------------------------------------------
// PRIVATEKEYBLOB

std::optional<RsaKeyPair> decodePrivateKeyBlob(QByteArrayView blob) {
    const auto *p = reinterpret_cast<const unsigned char *>(blob.data());
    const std::size_t size = std::size_t(blob.size());
    if (size < kHeaderSize + kRsaPubKeySize)
        return std::nullopt;
    if (p[0] != 0x07 || p[1] != 0x02 || p[2] != 0 || p[3] != 0 || readLe32(p + 4) != CALG_RSA_KEYX)
        return std::nullopt;
    if (readLe32(p + 8) != kMagicRsa2)
        return std::nullopt;
    const quint32 bits = readLe32(p + 12);
    const quint32 pubexp = readLe32(p + 16);
    if (bits < kMinBits || bits > kMaxBits || bits % 16 != 0 || size != privateBlobSize(bits))
        return std::nullopt;
    if (pubexp < 3 || pubexp % 2 == 0)
        return std::nullopt;

    const std::size_t b8 = bits / 8, b16 = bits / 16;
    const unsigned char *field = p + 20;
    auto next = [&field](std::size_t length) {
        BnPtr bn = leNumber(field, length);
        field += length;
        return bn;
    };
    BnPtr n = next(b8), prime1 = next(b16), prime2 = next(b16), exp1 = next(b16),
          exp2 = next(b16), coeff = next(b16), d = next(b8);
    BnPtr e(BN_new());
    std::unique_ptr<BN_CTX, BnCtxFree> ctx(BN_CTX_secure_new_ex(libraryContext()));
    if (!n || !prime1 || !prime2 || !exp1 || !exp2 || !coeff || !d || !e || !ctx ||
        BN_set_word(e.get(), pubexp) != 1)
        return std::nullopt;

    if (BN_num_bits(n.get()) != int(bits) || BN_cmp(d.get(), n.get()) >= 0 || BN_is_zero(d.get()))
        return std::nullopt;
    if (BN_cmp(prime1.get(), BN_value_one()) <= 0 || BN_cmp(prime2.get(), BN_value_one()) <= 0)
        return std::nullopt;

    BnPtr t(BN_new()), pm1(BN_new()), qm1(BN_new());
    if (!t || !pm1 || !qm1)
        return std::nullopt;
    auto equalsOne = [](const BIGNUM *x) { return BN_is_one(x) != 0; };
    const bool consistent =
        BN_mul(t.get(), prime1.get(), prime2.get(), ctx.get()) == 1 && BN_cmp(t.get(), n.get()) == 0 &&
        BN_sub(pm1.get(), prime1.get(), BN_value_one()) == 1 &&
        BN_sub(qm1.get(), prime2.get(), BN_value_one()) == 1 &&
        BN_mod(t.get(), d.get(), pm1.get(), ctx.get()) == 1 && BN_cmp(t.get(), exp1.get()) == 0 &&
        BN_mod(t.get(), d.get(), qm1.get(), ctx.get()) == 1 && BN_cmp(t.get(), exp2.get()) == 0 &&
        BN_mod_mul(t.get(), coeff.get(), prime2.get(), prime1.get(), ctx.get()) == 1 &&
        equalsOne(t.get()) &&
        BN_mod_mul(t.get(), e.get(), exp1.get(), pm1.get(), ctx.get()) == 1 && equalsOne(t.get()) &&
        BN_mod_mul(t.get(), e.get(), exp2.get(), qm1.get(), ctx.get()) == 1 && equalsOne(t.get());
    if (!consistent)
        return std::nullopt;

    std::unique_ptr<OSSL_PARAM_BLD, ParamBldFree> builder(OSSL_PARAM_BLD_new());
    if (!builder ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_D, d.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_FACTOR1, prime1.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_FACTOR2, prime2.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_EXPONENT1, exp1.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_EXPONENT2, exp2.get()) != 1 ||
        OSSL_PARAM_BLD_push_BN(builder.get(), OSSL_PKEY_PARAM_RSA_COEFFICIENT1, coeff.get()) != 1)
        return std::nullopt;
    std::unique_ptr<OSSL_PARAM, ParamFree> params(OSSL_PARAM_BLD_to_param(builder.get()));
    PkeyCtxPtr pctx(EVP_PKEY_CTX_new_from_name(libraryContext(), "RSA", nullptr));
    EVP_PKEY *key = nullptr;
    if (!params || !pctx || EVP_PKEY_fromdata_init(pctx.get()) != 1 ||
        EVP_PKEY_fromdata(pctx.get(), &key, EVP_PKEY_KEYPAIR, params.get()) != 1)
        return std::nullopt;
    return RsaKeyPair{EvpPkeyPtr(key), bits};
}

SecretBytes encodePrivateKeyBlob(const EVP_PKEY *key) {
    if (!key || !EVP_PKEY_is_a(key, "RSA"))
        return {};
    const int bits = EVP_PKEY_get_bits(key);
    if (bits < int(kMinBits) || bits > int(kMaxBits) || bits % 16 != 0)
        return {};
    const char *names[] = {OSSL_PKEY_PARAM_RSA_N,         OSSL_PKEY_PARAM_RSA_FACTOR1,
                           OSSL_PKEY_PARAM_RSA_FACTOR2,   OSSL_PKEY_PARAM_RSA_EXPONENT1,
                           OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1,
                           OSSL_PKEY_PARAM_RSA_D};
    const std::size_t b8 = std::size_t(bits) / 8, b16 = std::size_t(bits) / 16;
    const std::size_t lengths[] = {b8, b16, b16, b16, b16, b16, b8};

    BIGNUM *eRaw = nullptr;
    if (EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_RSA_E, &eRaw) != 1)
        return {};
    BnPtr e(eRaw);
    if (BN_num_bits(e.get()) > 32)
        return {};

    SecretBytes blob(privateBlobSize(quint32(bits)));
    unsigned char *p = blob.data();
    p[0] = 0x07;
    p[1] = 0x02;
    writeLe32(p + 4, CALG_RSA_KEYX);
    writeLe32(p + 8, kMagicRsa2);
    writeLe32(p + 12, quint32(bits));
    writeLe32(p + 16, quint32(BN_get_word(e.get())));
    unsigned char *field = p + 20;
    for (std::size_t i = 0; i < std::size(names); ++i) {
        BIGNUM *raw = nullptr;
        if (EVP_PKEY_get_bn_param(key, names[i], &raw) != 1)
            return {};
        BnPtr number(raw);
        if (BN_bn2lebinpad(number.get(), field, int(lengths[i])) != int(lengths[i]))
            return {};
        field += lengths[i];
    }
    return blob;
}

EvpPkeyPtr generateRsaKeyPair(unsigned bits) {
    PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_name(libraryContext(), "RSA", nullptr));
    EVP_PKEY *key = nullptr;
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), int(bits)) != 1 ||
        EVP_PKEY_generate(ctx.get(), &key) != 1)
        return nullptr;
    return EvpPkeyPtr(key);
}

bool rc4InPlace(const SecretBytes &key16, unsigned char *data, std::size_t size) {
    if (key16.size() != 16)
        return false;
    SessionKey session{CALG_RC4, SecretBytes(key16.view())};
    return runCipher(session, data, size, false);
}

// ---------------------------------------------------------------------------------------------
// SIMPLEBLOB and the session ciphers

bool sessionKeyLengthSuits(quint32 algId, std::size_t keyLength) {
    switch (algId) {
    case CALG_RC4:
    case CALG_RC2: return keyLength >= 5 && keyLength <= 16;
    case CALG_DES: return keyLength == 8;
    case CALG_3DES_112: return keyLength == 16;
    case CALG_3DES: return keyLength == 24;
    default: return false;
    }
}

std::optional<SessionKey> unwrapSimpleBlob(const RsaKeyPair &pair, QByteArrayView blob) {
    const std::size_t k = pair.bitLength / 8;
    const auto *p = reinterpret_cast<const unsigned char *>(blob.data());
    if (!pair.key || std::size_t(blob.size()) != 12 + k)
        return std::nullopt;
    const quint32 algId = readLe32(p + 4);
    if (p[0] != 0x01 || p[1] != 0x02 || p[2] != 0 || p[3] != 0 || !cipherName(algId) ||
        readLe32(p + 8) != CALG_RSA_KEYX)
        return std::nullopt;

    std::vector<unsigned char> bigEndian(p + 12, p + 12 + k);
    std::reverse(bigEndian.begin(), bigEndian.end());

    PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(libraryContext(), pair.key.get(), nullptr));
    if (!ctx || EVP_PKEY_decrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1)
        return std::nullopt;
#ifdef OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION
    // A block that does not unpad must be rejected, not replaced by a random key.
    unsigned int implicitRejection = 0;
    OSSL_PARAM noImplicit[] = {
        OSSL_PARAM_construct_uint(OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION, &implicitRejection),
        OSSL_PARAM_construct_end()};
    if (EVP_PKEY_CTX_set_params(ctx.get(), noImplicit) != 1)
        return std::nullopt;
#endif
    SecretBytes plain(k);
    std::size_t plainLength = k;
    if (EVP_PKEY_decrypt(ctx.get(), plain.data(), &plainLength, bigEndian.data(), k) != 1 ||
        !sessionKeyLengthSuits(algId, plainLength))
        return std::nullopt;
    return SessionKey{algId, SecretBytes(QByteArrayView(plain.view().first(qsizetype(plainLength))))};
}

QByteArray wrapSimpleBlob(const EVP_PKEY *publicKey, quint32 algId, QByteArrayView key) {
    if (!publicKey || !cipherName(algId) || !sessionKeyLengthSuits(algId, std::size_t(key.size())))
        return {};
    const std::size_t k = std::size_t(EVP_PKEY_get_size(publicKey));
    PkeyCtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(libraryContext(), const_cast<EVP_PKEY *>(publicKey),
                                              nullptr));
    std::vector<unsigned char> wrapped(k);
    std::size_t wrappedLength = k;
    if (!ctx || EVP_PKEY_encrypt_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) != 1 ||
        EVP_PKEY_encrypt(ctx.get(), wrapped.data(), &wrappedLength,
                         reinterpret_cast<const unsigned char *>(key.data()),
                         std::size_t(key.size())) != 1 ||
        wrappedLength != k)
        return {};
    QByteArray blob(qsizetype(12 + k), '\0');
    auto *p = reinterpret_cast<unsigned char *>(blob.data());
    p[0] = 0x01;
    p[1] = 0x02;
    writeLe32(p + 4, algId);
    writeLe32(p + 8, CALG_RSA_KEYX);
    std::reverse_copy(wrapped.begin(), wrapped.end(), p + 12);
    return blob;
}

bool decryptInPlace(const SessionKey &key, QByteArray &data) {
    auto *bytes = reinterpret_cast<unsigned char *>(data.data());
    const std::size_t size = std::size_t(data.size());
    if (key.algId == CALG_RC4)
        return runCipher(key, bytes, size, false);
    if (size == 0 || size % 8 != 0 || !runCipher(key, bytes, size, false))
        return false;
    const unsigned pad = bytes[size - 1];
    if (pad < 1 || pad > 8)
        return false;
    for (std::size_t i = size - pad; i < size; ++i)
        if (bytes[i] != pad)
            return false;
    data.truncate(qsizetype(size - pad));
    return true;
}

QByteArray encryptMessage(const SessionKey &key, QByteArrayView plain) {
    QByteArray data(plain.data(), plain.size());
    if (key.algId != CALG_RC4) {
        const qsizetype pad = 8 - plain.size() % 8;
        data.append(pad, char(pad));
    }
    if (!runCipher(key, reinterpret_cast<unsigned char *>(data.data()), std::size_t(data.size()),
                   true))
        return {};
    return data;
}

} // namespace rezmira::cryptoapi
