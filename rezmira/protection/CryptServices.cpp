#include "rezmira/protection/CryptServices.h"

namespace rezmira {

CryptServices::CryptServices(const QString &userKeySetFolder, const QString &machineKeySetFolder,
                             KeyDialog &dialog, TSettingsObj &settings)
    : m_userKeySet(userKeySetFolder), m_machineKeySet(machineKeySetFolder),
      m_cryptManager(m_userKeySet, m_machineKeySet), m_xmlCryptManager(m_cryptManager),
      m_keyProvider(m_cryptManager, settings, dialog) {
    m_cryptManager.KeyStoreName = QString::fromLatin1(kKeyStoreName);
}

} // namespace rezmira
