#include "zelm2008/engine/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace zelm {

SingleInstance::SingleInstance(const QString &lockFilePath) : m_lock(lockFilePath) {
    QDir().mkpath(QFileInfo(lockFilePath).absolutePath());
    m_lock.setStaleLockTime(0); // only a lock whose process is gone is stale
    m_first = m_lock.tryLock(0);
}

QString SingleInstance::lockFileNameFor(const QString &filesFolder) {
    const QByteArray hash = QCryptographicHash::hash(
        QDir(filesFolder).absolutePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("zelm2008-%1.lock").arg(QString::fromLatin1(hash.toHex().left(16)));
}

} // namespace zelm
