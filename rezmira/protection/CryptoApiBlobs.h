// The CryptoAPI key formats and ciphers the crypt manager needs, done with OpenSSL's libcrypto:
// PRIVATEKEYBLOB and SIMPLEBLOB decoding (and encoding, for our sample maker and tests), the
// session ciphers RC4, RC2, DES, 3DES_112 and 3DES, and wiped buffers for key material.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <openssl/types.h>

#include <cstddef>
#include <memory>
#include <optional>

namespace rezmira::cryptoapi {

// ALG_ID values as they appear in the blob headers (little-endian in the files).
inline constexpr quint32 CALG_RC2 = 0x6602;
inline constexpr quint32 CALG_RC4 = 0x6801;
inline constexpr quint32 CALG_DES = 0x6601;
inline constexpr quint32 CALG_3DES_112 = 0x6609;
inline constexpr quint32 CALG_3DES = 0x6603;
inline constexpr quint32 CALG_RSA_KEYX = 0xa400;

/// Bytes holding key material. Move-only (so no stray copy is left behind), and wiped with
/// OPENSSL_cleanse when destroyed or overwritten by a move.
class SecretBytes {
public:
    SecretBytes() = default;
    /// `size` zero bytes.
    explicit SecretBytes(std::size_t size);
    /// A copy of `bytes`.
    explicit SecretBytes(QByteArrayView bytes);
    ~SecretBytes();
    SecretBytes(SecretBytes &&other) noexcept;
    SecretBytes &operator=(SecretBytes &&other) noexcept;
    SecretBytes(const SecretBytes &) = delete;
    SecretBytes &operator=(const SecretBytes &) = delete;

    unsigned char *data() noexcept { return m_data.get(); }
    const unsigned char *data() const noexcept { return m_data.get(); }
    std::size_t size() const noexcept { return m_size; }
    bool isEmpty() const noexcept { return m_size == 0; }
    /// A view of the bytes (no copy); valid while this object lives and is not moved from.
    QByteArrayView view() const noexcept {
        return {reinterpret_cast<const char *>(m_data.get()), qsizetype(m_size)};
    }

private:
    void wipe() noexcept;

    std::unique_ptr<unsigned char[]> m_data;
    std::size_t m_size = 0;
};

/// The library context the crypt layer fetches every algorithm from: OpenSSL's "default"
/// provider plus the "legacy" one (RC4, RC2, DES), loaded once in a private context so the
/// process-wide defaults stay untouched. Never null; when a provider cannot be loaded, the
/// fetches of its algorithms fail and the caller reports its own failure.
OSSL_LIB_CTX *libraryContext();

struct EvpPkeyFree {
    void operator()(EVP_PKEY *key) const noexcept;
};
using EvpPkeyPtr = std::unique_ptr<EVP_PKEY, EvpPkeyFree>;

/// An RSA key-exchange pair and the modulus length its blob declared (bits).
struct RsaKeyPair {
    EvpPkeyPtr key;
    quint32 bitLength = 0;
};

/// Decodes a PRIVATEKEYBLOB held in clear (BLOBHEADER 07 02 0000 CALG_RSA_KEYX, RSAPUBKEY
/// "RSA2", then n, p, q, dp, dq, qinv, d little-endian). Everything is checked before a key is
/// built: the header, the magic, a bit length that is a multiple of 16 between 384 and 16384,
/// the exact total size, an odd public exponent >= 3, n of exactly that many bits and n = p·q,
/// dp = d mod (p-1), dq = d mod (q-1), qinv·q = 1 mod p, e·dp = 1 mod (p-1), e·dq = 1 mod (q-1).
/// Anything else (foreign, damaged, truncated or still-encrypted bytes) gives nullopt; never throws.
std::optional<RsaKeyPair> decodePrivateKeyBlob(QByteArrayView blob);

/// Encodes an RSA key pair as a PRIVATEKEYBLOB in clear. Empty when the key is not RSA, its
/// length is not a multiple of 16 bits, its exponent does not fit 32 bits, or OpenSSL fails.
SecretBytes encodePrivateKeyBlob(const EVP_PKEY *key);

/// Generates a fresh RSA key-exchange pair of `bits` bits (exponent 65537); null on failure.
EvpPkeyPtr generateRsaKeyPair(unsigned bits);

/// RC4 in place over `size` bytes with a 16-byte key (the key store's password key).
/// False when RC4 is not available.
[[nodiscard]] bool rc4InPlace(const SecretBytes &key16, unsigned char *data, std::size_t size);

/// A session key: its algorithm (one of the CALG_ values above) and its key bytes as unwrapped.
struct SessionKey {
    quint32 algId = 0;
    SecretBytes key;
};

/// True when `keyLength` bytes suit `algId`: RC4 and RC2 5..16, DES 8, 3DES_112 16, 3DES 24.
bool sessionKeyLengthSuits(quint32 algId, std::size_t keyLength);

/// Unwraps a SIMPLEBLOB (BLOBHEADER 01 02 0000 algId, CALG_RSA_KEYX, then bitLength/8 bytes of
/// RSA cipher text, little-endian) with the private key of `pair`: the length must be exactly
/// 12 + bitLength/8, the RSA block must be PKCS #1 v1.5 type 2, and the key length must suit the
/// algorithm. nullopt otherwise; never throws.
std::optional<SessionKey> unwrapSimpleBlob(const RsaKeyPair &pair, QByteArrayView blob);

/// Wraps `key` for `publicKey` as a SIMPLEBLOB of algorithm `algId`; empty on failure.
QByteArray wrapSimpleBlob(const EVP_PKEY *publicKey, quint32 algId, QByteArrayView key);

/// Decrypts `data` in place as one final block of the session cipher: RC4 as a stream; RC2
/// (effective key bits = 8 × key length), DES, 3DES_112 and 3DES in CBC with a zero IV and
/// PKCS #5 padding, which is checked and dropped. A 5-byte RC4 or RC2 key is used with 11 zero
/// bytes appended. On success `data` is shortened to the plain length. False on a block-cipher
/// length that is zero or not a multiple of 8, on bad padding, or when the cipher is not
/// available; `data` then holds undefined bytes.
[[nodiscard]] bool decryptInPlace(const SessionKey &key, QByteArray &data);

/// The inverse of decryptInPlace (padding always added for block ciphers); empty on failure.
QByteArray encryptMessage(const SessionKey &key, QByteArrayView plain);

} // namespace rezmira::cryptoapi
