// libFuzzer target: arbitrary key store bytes through TCryptManager::ImportKeyStore, and the same
// bytes as a PRIVATEKEYBLOB in clear through the blob decoder (which random bytes would rarely
// reach through the RC4 layer). Anything but a CryptError, a crash or a leak is a finding.
#include "MemoryKeyContainerStore.h"

#include "rezmira/protection/TCryptManager.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static fuzzsupport::MemoryKeyContainerStore userKeys, machineKeys;
    static rezmira::TCryptManager crypt = [] {
        rezmira::TCryptManager c(userKeys, machineKeys);
        c.KeyStoreName = QStringLiteral("Quorrix.Rezmira");
        return c;
    }();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        crypt.ImportKeyStore(bytes, QByteArrayLiteral("qm804"));
    } catch (const rezmira::CryptError &) {
    }
    (void)rezmira::cryptoapi::decodePrivateKeyBlob(QByteArrayView(bytes));
    return 0;
}
