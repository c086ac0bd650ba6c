// The protected-results layer assembled for one program run: the container stores, the crypt
// manager, the envelope reader and the key provider, ready to hand to the open pipeline.
#pragma once

#include "rezmira/protection/AcquireKey.h"
#include "rezmira/protection/KeyContainerStore.h"
#include "rezmira/protection/TCryptManager.h"
#include "rezmira/protection/TXmlCryptManager.h"

#include <QString>

namespace rezmira {

class TSettingsObj;

/// Owns the crypt layer's objects; `keys()` and `decryptor()` are the open pipeline's
/// KeyProvider and EnvelopeDecryptor. The key container is named "Quorrix.Rezmira" and lives in
/// the user's key set (`userKeySetFolder`, resolved by the caller); `machineKeySetFolder`
/// backs the machine-wide key set, which the viewer never selects. `dialog` and `settings` must
/// outlive this object. Not copyable or movable (the members refer to each other).
class CryptServices {
public:
    static constexpr const char *kKeyStoreName = "Quorrix.Rezmira";

    CryptServices(const QString &userKeySetFolder, const QString &machineKeySetFolder,
                  KeyDialog &dialog, TSettingsObj &settings);
    CryptServices(const CryptServices &) = delete;
    CryptServices &operator=(const CryptServices &) = delete;

    KeyProvider &keys() { return m_keyProvider; }
    EnvelopeDecryptor &decryptor() { return m_xmlCryptManager; }
    TCryptManager &cryptManager() { return m_cryptManager; }

private:
    FileKeyContainerStore m_userKeySet;
    FileKeyContainerStore m_machineKeySet;
    TCryptManager m_cryptManager;
    TXmlCryptManager m_xmlCryptManager;
    KeyFileProvider m_keyProvider;
};

} // namespace rezmira
