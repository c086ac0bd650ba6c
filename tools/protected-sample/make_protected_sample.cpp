// Builds the protected demo package samples/demo-protected.rzt and its key store
// samples/demo-key.rzk in the CryptoAPI formats, from samples/demo-result.xml and the pictures
// of samples/demo.rzt. Usage: make_protected_sample SAMPLES_DIR
//
// A fresh 1024-bit RSA key-exchange pair becomes the key store: a PRIVATEKEYBLOB whose bytes
// after the header are RC4-encrypted with MD5("qm804") (the 128-bit password-key rule). The
// document is encrypted with a random 3DES key (CBC, zero IV, PKCS #5), which is wrapped for the
// pair as a SIMPLEBLOB; both go into the envelope "scontent.xml" as base64.
#include "rezmira/protection/CryptoApiBlobs.h"
#include "tools/ZipWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include <openssl/rand.h>

#include <zip.h>

#include <cstdio>

using namespace rezmira::cryptoapi;

namespace {

[[noreturn]] void die(const char *what, const QString &detail = {}) {
    std::fprintf(stderr, "make_protected_sample: %s %s\n", what, qPrintable(detail));
    std::exit(1);
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        die("cannot read", path);
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        die("cannot write", path);
    std::printf("wrote %s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
}

// Every entry of the plain demo package except its document (the pictures it refers to).
QList<rezmira::tools::ZipEntry> resourcesOf(const QString &plainPackage) {
    QList<rezmira::tools::ZipEntry> entries;
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(plainPackage).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0 ||
            QByteArray(st.name).compare("content.xml", Qt::CaseInsensitive) == 0)
            continue;
        QByteArray data(qsizetype(st.size), '\0');
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file || zip_fread(file, data.data(), st.size) != zip_int64_t(st.size))
            die("cannot read an entry of", plainPackage);
        zip_fclose(file);
        entries.append({QByteArray(st.name), data, false});
    }
    zip_close(archive);
    return entries;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_protected_sample SAMPLES_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QByteArray document = readFile(dir + QStringLiteral("/demo-result.xml"));

    const EvpPkeyPtr pair = generateRsaKeyPair(1024);
    const SecretBytes privateBlob = encodePrivateKeyBlob(pair.get());
    if (privateBlob.isEmpty())
        die("cannot make the key pair");
    QByteArray keyStore(privateBlob.view().data(), privateBlob.view().size());
    const SecretBytes passwordKey(
        QByteArrayView(QCryptographicHash::hash(QByteArrayLiteral("qm804"), QCryptographicHash::Md5)));
    if (!rc4InPlace(passwordKey, reinterpret_cast<unsigned char *>(keyStore.data()) + 8,
                    std::size_t(keyStore.size() - 8)))
        die("RC4 is not available");

    SessionKey session{CALG_3DES, SecretBytes(24)};
    if (RAND_bytes_ex(libraryContext(), session.key.data(), session.key.size(), 0) != 1)
        die("no random bytes");
    const QByteArray simpleBlob = wrapSimpleBlob(pair.get(), CALG_3DES, session.key.view());
    const QByteArray cipherText = encryptMessage(session, document);
    if (simpleBlob.isEmpty() || cipherText.isEmpty())
        die("cannot encrypt the document");

    const QByteArray envelope =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<EncryptedData xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\">\n"
        "  <ds:KeyInfo>\n    <EncryptedKey>\n      <CipherData>\n        <CipherValue>" +
        simpleBlob.toBase64() +
        "</CipherValue>\n      </CipherData>\n    </EncryptedKey>\n  </ds:KeyInfo>\n"
        "  <CipherData>\n    <CipherValue>" +
        cipherText.toBase64() + "</CipherValue>\n  </CipherData>\n</EncryptedData>\n";

    QList<rezmira::tools::ZipEntry> entries{{"scontent.xml", envelope, true}};
    entries += resourcesOf(dir + QStringLiteral("/demo.rzt"));
    writeFile(dir + QStringLiteral("/demo-protected.rzt"), rezmira::tools::makeZip(entries));
    writeFile(dir + QStringLiteral("/demo-key.rzk"), keyStore);
    return 0;
}
