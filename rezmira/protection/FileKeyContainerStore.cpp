#include "rezmira/protection/KeyContainerStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace rezmira {

namespace {

constexpr qint64 kMaxContainerSize = 64 * 1024;

bool isPlainFileName(const QString &name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

} // namespace

FileKeyContainerStore::FileKeyContainerStore(QString rootFolder) : m_root(std::move(rootFolder)) {}

QString FileKeyContainerStore::containerPath(const QString &name) const {
    return QDir(m_root).filePath(name);
}

bool FileKeyContainerStore::ensureFolder() const {
    if (m_root.isEmpty())
        return false;
    const QFileInfo info(m_root);
    if (!info.exists()) {
        const QString parent = info.absolutePath();
        if (!QDir().mkpath(parent))
            return false;
        // Created with its final mode at once, so it is never open to others, not even briefly.
        if (::mkdir(QFile::encodeName(info.absoluteFilePath()).constData(), 0700) != 0 &&
            !QFileInfo(m_root).isDir())
            return false;
    }
    if (!QFileInfo(m_root).isDir())
        return false;
    return ::chmod(QFile::encodeName(m_root).constData(), 0700) == 0;
}

bool FileKeyContainerStore::open(const QString &name) {
    if (!isPlainFileName(name))
        return false;
    const QFileInfo container(containerPath(name));
    if (container.isFile() && container.isReadable())
        return true;
    return ensureFolder() && QFileInfo(m_root).isWritable();
}

cryptoapi::SecretBytes FileKeyContainerStore::load(const QString &name) const {
    if (!isPlainFileName(name))
        return {};
    QFile file(containerPath(name));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxContainerSize)
        return {};
    cryptoapi::SecretBytes pair{std::size_t(size)};
    if (file.read(reinterpret_cast<char *>(pair.data()), size) != size)
        return {};
    return pair;
}

bool FileKeyContainerStore::save(const QString &name, QByteArrayView pair) {
    if (!isPlainFileName(name) || !ensureFolder())
        return false;
    QSaveFile file(containerPath(name));
    // Unbuffered: the key bytes go straight to the file, with no copy left in a Qt buffer.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (::fchmod(file.handle(), 0600) != 0) {
        file.cancelWriting();
        return false;
    }
    if (file.write(pair.data(), pair.size()) != pair.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace rezmira
