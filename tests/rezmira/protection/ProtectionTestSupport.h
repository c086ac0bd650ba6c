// Helpers of the protection suites: ZIP entries of the shared packages, fixed key pairs made
// once per run, a crypt manager over key sets in a temporary folder, and a scripted key dialog.
#pragma once

#include "rezmira/protection/AcquireKey.h"
#include "rezmira/protection/CryptoApiBlobs.h"
#include "rezmira/protection/KeyContainerStore.h"
#include "rezmira/protection/TCryptManager.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <deque>

namespace protectiontest {

/// The bytes of entry `name` of the ZIP file `zipPath` (exact name), or a null QByteArray when
/// the file or the entry is missing.
QByteArray zipEntry(const QString &zipPath, const char *name);

/// A 1024-bit and a 512-bit RSA pair generated once per run (generation is slow).
const rezmira::cryptoapi::EvpPkeyPtr &rsa1024();
const rezmira::cryptoapi::EvpPkeyPtr &rsa512();

/// A key store file made from `pair` the way the key-issuing side makes one: the PRIVATEKEYBLOB
/// with bytes 8.. RC4-encrypted by the password key (128-bit rule, or the 40-bit rule).
QByteArray makeKeyStore(const EVP_PKEY *pair, const QByteArray &password, bool fortyBit = false);

/// A crypt manager named as the viewer names its key store, over a user and a machine key set
/// in a fresh temporary folder (`dir`) that goes with the rig.
struct CryptRig {
    QTemporaryDir dir;
    rezmira::FileKeyContainerStore userKeys{dir.filePath(QStringLiteral("user"))};
    rezmira::FileKeyContainerStore machineKeys{dir.filePath(QStringLiteral("machine"))};
    rezmira::TCryptManager crypt{userKeys, machineKeys};
    CryptRig() { crypt.KeyStoreName = QStringLiteral("Quorrix.Rezmira"); }
};

/// Answers the key dialog from a queue of scripted closes; an empty queue means Cancel.
class ScriptedKeyDialog : public rezmira::KeyDialog {
public:
    void ok(const QString &file, bool useAsDefault = false) { m_steps.push_back({true, file, useAsDefault}); }
    void cancel() { m_steps.push_back({false, {}, false}); }
    int asked = 0;
    std::optional<rezmira::KeyDialogAnswer> askForKey() override;

private:
    struct Step {
        bool ok;
        QString file;
        bool useAsDefault;
    };
    std::deque<Step> m_steps;
};

} // namespace protectiontest
