#include "rezmira/loading/ResultLoader.h"

#include "rezmira/Error.h"
#include "rezmira/loading/ResultDocument.h"
#include "rezmira/loading/TStreamUnZip.h"
#include "rezmira/shell/TSettingsObj.h"

#include <QFile>

namespace rezmira {

namespace {

QString notResultFile() { return QStringLiteral("Файл не является файлом результатов, либо поврежден"); }

} // namespace

ResultLoader::ResultLoader(KeyProvider &keys, EnvelopeDecryptor &decryptor, TSettingsObj &settings)
    : FKeys(keys), FDecryptor(decryptor), FSettings(settings),
      FMaxEntrySize(TStreamUnZip::kMaxEntrySize) {}

void ResultLoader::LoadResultFile(const QString &fileName) {
    FTables.ResetTables();
    FResultDocument.reset();
    readPackage(fileName);

    QByteArray content;
    {
        TStreamUnZip unzip(FMaxEntrySize);
        try {
            unzip.OpenArchive(FPackageStream);
        } catch (const Error &) {
            throw Error(notResultFile());
        }
        unzip.ExtractEntry("content.xml", content);
        if (content.isEmpty()) {
            QByteArray envelope;
            unzip.ExtractEntry("scontent.xml", envelope);
            if (envelope.isEmpty())
                throw Error(notResultFile());
            content = decryptProtected(envelope);
        }
        unzip.CloseArchive();
    }

    XmlDocPtr doc = parseXmlDocument(content);
    content.clear();
    xmlNode *root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    if (!root)
        throw Error(notResultFile());
    try {
        ReadResultDocument(FTables, root);
    } catch (const Error &) {
        FTables.ResetTables();
        throw Error(notResultFile());
    }
    FResultDocument = std::move(doc);
}

void ResultLoader::readPackage(const QString &fileName) {
    FPackageStream.clear();
    QFile file(fileName);
    const auto fail = [&](const QString &reason) {
        FPackageStream.clear();
        throw Error(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason));
    };
    if (!file.open(QIODevice::ReadOnly))
        fail(file.errorString());
    // A regular file is read into one block of its size (the extra byte sees the end without
    // growing it); special files (a pipe, /dev/zero) report no size and are read in chunks up
    // to the cap.
    const qint64 known = file.size();
    if (known > kMaxPackageSize)
        throw Error(notResultFile());
    FPackageStream.reserve(qsizetype(known) + 1);
    constexpr qint64 kChunk = 1 << 20;
    for (;;) {
        const qsizetype at = FPackageStream.size();
        const qint64 room = FPackageStream.capacity() - at;
        const qint64 want = std::min(room > 0 ? room : kChunk, kMaxPackageSize + 1 - at);
        FPackageStream.resize(at + qsizetype(want));
        const qint64 n = file.read(FPackageStream.data() + at, want);
        if (n < 0)
            fail(file.errorString());
        FPackageStream.resize(at + qsizetype(n));
        if (n == 0)
            break;
        if (FPackageStream.size() > kMaxPackageSize) {
            FPackageStream.clear();
            throw Error(notResultFile());
        }
    }
}

QByteArray ResultLoader::decryptProtected(const QByteArray &envelope) {
    QByteArray content;
    for (;;) {
        if (!FKeys.AcquireKey())
            throw Error(QStringLiteral("Не удается открыть файл"));
        FDecryptor.LoadEnvelope(envelope);
        content.clear();
        try {
            FDecryptor.DecryptDocument(content);
            return content;
        } catch (const Error &) {
            // A key that does not decrypt is forgotten; the next AcquireKey asks for one.
            FSettings.LastKey.clear();
        }
    }
}

} // namespace rezmira
