// libFuzzer target: arbitrary envelope bytes through TXmlCryptManager (LoadEnvelope, then
// DecryptDocument) with a key pair in the container, so that envelopes wrapped for it reach the
// session key and the document cipher. Anything but a CryptError, a crash or a leak is a finding.
#include "MemoryKeyContainerStore.h"

#include "rezmira/protection/TCryptManager.h"
#include "rezmira/protection/TXmlCryptManager.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {

// The shared fixtures' key pair A when present (its packages make the best seeds), else a
// fresh pair.
QByteArray keyPair() {
    QFile file(QStringLiteral(SHARED_FIXTURES_DIR "/crypto/key-a-1024.privateblob"));
    if (file.open(QIODevice::ReadOnly))
        return file.readAll();
    const auto blob = rezmira::cryptoapi::encodePrivateKeyBlob(rezmira::cryptoapi::generateRsaKeyPair(1024).get());
    return blob.view().toByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static fuzzsupport::MemoryKeyContainerStore userKeys, machineKeys;
    static rezmira::TCryptManager crypt(userKeys, machineKeys);
    static rezmira::TXmlCryptManager xmlCrypt(crypt);
    static const bool ready = [] {
        crypt.KeyStoreName = QStringLiteral("Quorrix.Rezmira");
        return userKeys.save(crypt.KeyStoreName, keyPair());
    }();
    (void)ready;
    xmlCrypt.LoadEnvelope(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    QByteArray output;
    try {
        xmlCrypt.DecryptDocument(output);
    } catch (const rezmira::CryptError &) {
    }
    return 0;
}
