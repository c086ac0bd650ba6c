#include "ProtectionTestSupport.h"

#include <QCryptographicHash>
#include <QFile>

#include <zip.h>

namespace protectiontest {

using namespace rezmira::cryptoapi;

QByteArray zipEntry(const QString &zipPath, const char *name) {
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(zipPath).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray bytes;
    zip_stat_t st;
    if (zip_stat(archive, name, 0, &st) == 0) {
        zip_file_t *file = zip_fopen(archive, name, 0);
        if (file) {
            bytes.resize(qsizetype(st.size));
            if (st.size == 0)
                bytes = QByteArray("", 0);
            else if (zip_fread(file, bytes.data(), st.size) != zip_int64_t(st.size))
                bytes = {};
            zip_fclose(file);
        }
    }
    zip_close(archive);
    return bytes;
}

const EvpPkeyPtr &rsa1024() {
    static const EvpPkeyPtr key = generateRsaKeyPair(1024);
    return key;
}

const EvpPkeyPtr &rsa512() {
    static const EvpPkeyPtr key = generateRsaKeyPair(512);
    return key;
}

QByteArray makeKeyStore(const EVP_PKEY *pair, const QByteArray &password, bool fortyBit) {
    const SecretBytes blob = encodePrivateKeyBlob(pair);
    QByteArray md5 = QCryptographicHash::hash(password, QCryptographicHash::Md5);
    if (fortyBit)
        md5 = md5.left(5) + QByteArray(11, '\0');
    QByteArray store(blob.view().data(), blob.view().size());
    if (!rc4InPlace(SecretBytes(QByteArrayView(md5)),
                    reinterpret_cast<unsigned char *>(store.data()) + 8, std::size_t(store.size() - 8)))
        return {};
    return store;
}

std::optional<rezmira::KeyDialogAnswer> ScriptedKeyDialog::askForKey() {
    ++asked;
    if (m_steps.empty())
        return std::nullopt;
    const Step step = m_steps.front();
    m_steps.pop_front();
    if (!step.ok)
        return std::nullopt;
    return rezmira::KeyDialogAnswer{step.file, step.useAsDefault};
}

} // namespace protectiontest
