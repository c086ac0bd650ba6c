// One trainer per files folder: a second instance started on the same folder ends at once.
#pragma once

#include <QLockFile>
#include <QString>

namespace zelm {

/// Holds a lock for the program's lifetime. The lock file lives outside the trainer's folder
/// (the caller picks it, e.g. in the per-user runtime folder, named after the files folder), so
/// the folder holds only the trainer's own files. A lock left by a crashed instance is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockFilePath);
    /// False when another running instance holds the lock: the caller ends without a message.
    bool isFirst() const { return m_first; }

    /// A lock file name for a files folder: "zelm2008-<hash of the folder's absolute, cleaned
    /// path>.lock", so "dir" and "dir/" name the same lock.
    static QString lockFileNameFor(const QString &filesFolder);

private:
    QLockFile m_lock;
    bool m_first = false;
};

} // namespace zelm
