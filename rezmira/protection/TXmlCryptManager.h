// The crypt data module: reads the encrypted envelope of a protected result document, decodes
// its two base64 payloads and has the crypt manager decrypt the document.
#pragma once

#include "rezmira/loading/ProtectedContent.h"
#include "rezmira/loading/XMLTools.h"
#include "rezmira/protection/CryptError.h"

#include <QByteArray>

namespace rezmira {

class TCryptManager;

/// The envelope reader. Of the envelope it evaluates exactly two location paths, both from the
/// document element: "ds:KeyInfo/EncryptedKey/CipherData/CipherValue" (the SIMPLEBLOB of the
/// session key) and "CipherData/CipherValue" (the encrypted document); "ds" is the prefix the
/// document element binds (the XML-DSig namespace when it binds none), the other four names
/// carry no namespace. Everything else in the envelope is ignored. UI thread only.
class TXmlCryptManager : public EnvelopeDecryptor {
public:
    /// `cryptManager` must outlive this object.
    explicit TXmlCryptManager(TCryptManager &cryptManager);
    ~TXmlCryptManager() override;

    /// Parses `envelope` into the envelope model, replacing the one held. Never throws: bytes
    /// that are not a well-formed document (or that declare a DTD or entities) leave the model
    /// empty. The parse reaches no network and nests at most 256 elements deep; a text node may
    /// be as large as the envelope (the encrypted document is one run of base64).
    void LoadEnvelope(const QByteArray &envelope) override;

    /// Extracts and base64-decodes the session key, then the encrypted document into `output`,
    /// and decrypts `output` in place with TCryptManager::DecryptMessage. On success `output`
    /// holds the plain document, sized to it. Throws CryptError: "Unable Extract Session Key"
    /// when path 1 gives empty text (also for an empty model), "Unable Extract Cipher Data" when
    /// path 2 does, or DecryptMessage's message unchanged. Malformed base64 is not detected here:
    /// it decodes to wrong bytes that fail later. Once both payloads are decoded the model is
    /// released (it is only needed while being read), so a second call without a new
    /// LoadEnvelope fails with "Unable Extract Session Key".
    void DecryptDocument(QByteArray &output) override;

    /// True when the model holds a parsed document (for tests and the fuzzer).
    bool hasEnvelope() const { return XpObjModel1 != nullptr; }

private:
    TCryptManager &FCryptManager;
    XmlDocPtr XpObjModel1; ///< the envelope model
};

} // namespace rezmira
