// The crypt manager: loads a password-protected key store into a named, persistent key
// container and decrypts a protected message in place with a session key wrapped for that pair.
#pragma once

#include "rezmira/protection/CryptError.h"
#include "rezmira/protection/KeyContainerStore.h"

#include <QByteArray>
#include <QString>

namespace rezmira {

/// An opened key container, as AcquireKeyStore hands it out: the store and the container name.
/// Holds no resources of its own.
struct KeyContainerHandle {
    KeyContainerStore *store = nullptr;
    QString name;
};

/// The viewer's only contact with cryptography. Holds no state between calls besides its two
/// fields; every failure is a CryptError carrying one fixed English text. UI thread only.
///
/// The key store file (.rzk) is one PRIVATEKEYBLOB whose bytes after the 8-byte header are RC4-
/// encrypted with the password key: RC4 keyed with MD5 of the password bytes, either all 16
/// bytes (key stores issued by a 128-bit provider) or its first 5 bytes followed by 11 zero bytes
/// (a 40-bit provider). Both are accepted; the two cannot be told apart from the header.
class TCryptManager {
public:
    /// `userKeySet` and `machineKeySet` are the container stores of the current user and of the
    /// machine; both must outlive the manager.
    TCryptManager(KeyContainerStore &userKeySet, KeyContainerStore &machineKeySet);

    /// Name of the key container. Empty after construction.
    QString KeyStoreName;
    /// When true, containers are opened and created in the machine-wide key set.
    bool MachineKeySet = false;

    /// Throws "KeyStoreName Must be set" when KeyStoreName is empty.
    void CheckKeyStoreName() const;

    /// Opens the container `containerName` in the selected key set, creating it when it does not
    /// exist ("Unable Create Key Store" when it can be neither opened nor created). With
    /// `CreateKeys`, a container created by this call gets a fresh exportable RSA key-exchange
    /// pair ("Unable Generate Key" when that fails).
    [[nodiscard]] KeyContainerHandle AcquireKeyStore(const QString &containerName, bool CreateKeys);

    /// Imports the key store `keyStore` (the whole .rzk file) protected by `password` (the 5
    /// password bytes, no terminator) into the container KeyStoreName, replacing the pair an
    /// earlier import left there. A foreign, damaged, truncated, unencrypted or wrongly protected
    /// key store fails with "Unable Import Key" and leaves the container as it was. The
    /// decrypted pair exists in memory only while this call runs and is wiped afterwards.
    void ImportKeyStore(const QByteArray &keyStore, const QByteArray &password);

    /// Decrypts `data` in place with the session key of the SIMPLEBLOB `sessionKeyBlob`,
    /// unwrapped with the pair of container KeyStoreName. On success `data` holds the plain
    /// bytes, sized to them. Throws "Unable Get User Key" when the container holds no pair,
    /// "Unable Import Session Key" when the blob is not a session key wrapped for that pair
    /// (`data` is then untouched), "Unable Decrypt Message" when a block cipher's length or
    /// padding is wrong (`data` then holds undefined bytes).
    void DecryptMessage(QByteArray &data, const QByteArray &sessionKeyBlob);

private:
    KeyContainerStore &FUserKeySet;
    KeyContainerStore &FMachineKeySet;
};

} // namespace rezmira
