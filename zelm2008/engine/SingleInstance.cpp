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
        QFileInfo(filesFolder).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("zelm2008-%1.lock").arg(QString::fromLatin1(hash.toHex().left(16)));
}

QByteArray ReferenceTextFrom(const QByteArray &textTxt) {
    QByteArray reference;
    QByteArray normalized = textTxt;
    normalized.replace("\r\n", "\n").replace('\r', '\n');
    QList<QByteArray> lines = normalized.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast(); // the final line end starts no line
    for (const QByteArray &line : lines)
        reference += line.trimmed() + ' ';
    return reference;
}

} // namespace zelm
