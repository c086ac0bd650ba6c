// The seams between the open pipeline and the protected-results layer. The pipeline's key loop
// talks only to these two roles; the crypt layer implements them, and tests install doubles.
#pragma once

#include <QByteArray>

namespace rezmira {

/// Makes a key store ready for decryption.
class KeyProvider {
public:
    virtual ~KeyProvider() = default;

    /// True when a key store is ready in the crypt manager; false when the user supplied no
    /// usable key file (cancelled, or gave an empty path). Throws rezmira::Error("Ключ поврежден")
    /// when a key file cannot be loaded; the caller lets that through.
    [[nodiscard]] virtual bool AcquireKey() = 0;
};

/// Decrypts the protected result document held in an envelope.
class EnvelopeDecryptor {
public:
    virtual ~EnvelopeDecryptor() = default;

    /// Parses the envelope bytes afresh into the envelope model. Never throws: bytes that
    /// cannot be parsed leave an empty model, and the next DecryptDocument fails.
    virtual void LoadEnvelope(const QByteArray &envelope) = 0;

    /// Writes the plain document of the envelope loaded last into `output` (which the caller
    /// has emptied). Throws rezmira::Error on any failure.
    virtual void DecryptDocument(QByteArray &output) = 0;
};

} // namespace rezmira
