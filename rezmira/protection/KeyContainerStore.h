// Named key containers: where an imported key-exchange pair is kept across runs. The interface
// is what the crypt manager needs; FileKeyContainerStore keeps one file per container.
#pragma once

#include "rezmira/protection/CryptoApiBlobs.h"

#include <QByteArrayView>
#include <QString>

namespace rezmira {

/// A set of named key containers (a user's or the machine's). Each container holds at most one
/// key-exchange pair, as a PRIVATEKEYBLOB in clear. Used from one thread.
class KeyContainerStore {
public:
    virtual ~KeyContainerStore() = default;

    /// Opens the container `name`, creating it (empty) when it does not exist yet. False when it
    /// can be neither opened nor created.
    [[nodiscard]] virtual bool open(const QString &name) = 0;

    /// The pair held in container `name`; empty when there is none or it cannot be read.
    [[nodiscard]] virtual cryptoapi::SecretBytes load(const QString &name) const = 0;

    /// Replaces the pair of container `name` with `pair`, all or nothing: after a failure or a
    /// crash the container still holds its previous pair. False on failure.
    [[nodiscard]] virtual bool save(const QString &name, QByteArrayView pair) = 0;
};

/// Containers as files in one folder: the folder is created with mode 0700, each container is
/// the file named after it with mode 0600, written through QSaveFile (a temporary file renamed
/// over the old one) so it is never torn or empty. Container names that are not a plain file
/// name ("", ".", "..", anything holding '/' or '\\' or a NUL) are refused.
///
/// Per-user containers live in the per-user local data folder (…/orvanta/Quorrix/2.X/Rezmira/
/// KeyContainers); machine-wide containers in `kMachineKeySetFolder`. The caller resolves the
/// folder and hands it in. A container file larger than 64 KiB is not read (no pair fits that).
class FileKeyContainerStore : public KeyContainerStore {
public:
    /// The documented machine-wide folder.
    static constexpr const char *kMachineKeySetFolder = "/var/lib/rezmira/keys";

    explicit FileKeyContainerStore(QString rootFolder);

    bool open(const QString &name) override;
    cryptoapi::SecretBytes load(const QString &name) const override;
    bool save(const QString &name, QByteArrayView pair) override;

    const QString &rootFolder() const { return m_root; }

private:
    bool ensureFolder() const;
    QString containerPath(const QString &name) const;

    QString m_root;
};

} // namespace rezmira
