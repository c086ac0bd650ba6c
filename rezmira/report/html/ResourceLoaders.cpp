// Package pictures through libzip with legacy entry-name matching; style pictures confined to
// the styles folder.
#include "rezmira/report/html/ResourceLoaders.h"

#include "rezmira/Error.h"
#include "rezmira/loading/TStreamUnZip.h"
#include "rezmira/report/html/CodePages.h"
#include "rezmira/report/html/ImageReferences.h"
#include "rezmira/report/html/XslSupport.h"

#include <QFile>
#include <QStringDecoder>

#include <zip.h>

#include <memory>

namespace rezmira {

namespace {

constexpr qint64 kMaxPictureBytes = 64 * 1024 * 1024;

// Entry names compare ignoring the case of A–Z only, with both kinds of slash alike.
QString comparable(QString name) {
    for (QChar &c : name) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
        else if (c == QLatin1Char('\\'))
            c = QLatin1Char('/');
    }
    return name;
}

bool isAscii(const char *text) {
    for (; *text != '\0'; ++text) {
        if (static_cast<unsigned char>(*text) > 127)
            return false;
    }
    return true;
}

bool decodeUtf8(const QByteArray &bytes, QString &out) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    out = decoder(bytes);
    return !decoder.hasError();
}

bool entryMatches(zip_t *archive, zip_uint64_t index, const QString &wanted) {
    const char *raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
    if (raw == nullptr)
        return false;
    const QByteArray rawBytes(raw);
    if (isAscii(raw))
        return comparable(QString::fromLatin1(rawBytes)) == wanted;
    // Read strictly, a name without the UTF-8 flag is converted from CP437 and so differs from
    // its raw bytes; a flagged name comes back unchanged.
    const char *strict = zip_get_name(archive, index, ZIP_FL_ENC_STRICT);
    const bool utf8Flag = strict != nullptr && rawBytes == QByteArray(strict);
    QString asUtf8;
    if (utf8Flag)
        return comparable(QString::fromUtf8(rawBytes)) == wanted;
    return (decodeUtf8(rawBytes, asUtf8) && comparable(asUtf8) == wanted) ||
           comparable(DecodeCp866(rawBytes)) == wanted ||
           comparable(DecodeCp1251(rawBytes)) == wanted;
}

// The stored (raw) name of the first entry of `package` that `wanted` names, or a null array.
QByteArray matchingEntryName(const QByteArray &package, const QString &wanted) {
    zip_source_t *source =
        zip_source_buffer_create(package.constData(), zip_uint64_t(package.size()), 0, nullptr);
    zip_t *opened = source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, nullptr);
    if (opened == nullptr) {
        if (source != nullptr)
            zip_source_free(source);
        return {};
    }
    std::unique_ptr<zip_t, decltype(&zip_discard)> archive(opened, zip_discard);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (entryMatches(archive.get(), zip_uint64_t(i), wanted))
            return QByteArray(zip_get_name(archive.get(), zip_uint64_t(i), ZIP_FL_ENC_RAW));
    }
    return {};
}

} // namespace

void LoadPackageResource(const QByteArray &package, const QString &Name, QByteArray &Target) {
    QByteArray bytes = UnescapePercent(Name.toUtf8());
    if (bytes.startsWith('\\'))
        bytes.remove(0, 1);

    // No package yet (nothing opened, or the last open failed before it was read) is no archive;
    // libzip would take an empty buffer for an empty one.
    if (package.isEmpty())
        throw Error(QStringLiteral("Not a zip archive"));
    TStreamUnZip unzip(kMaxPictureBytes);
    unzip.OpenArchive(package);

    Target.clear();
    if (bytes.isEmpty())
        return;
    // Names of the content are UTF-8; a name that is not is tried as Windows-1251.
    QString name;
    if (!decodeUtf8(bytes, name))
        name = DecodeCp1251(bytes);
    const QByteArray stored = matchingEntryName(package, comparable(name));
    if (!stored.isNull())
        unzip.ExtractEntry(stored, Target);
}

void LoadStyleResource(const QString &stylesPath, const QString &Name, QByteArray &Target) {
    QString path = xsl::FileInStylesFolder(stylesPath, Name);
    if (path.isEmpty()) {
        const QString unescaped = QString::fromUtf8(UnescapePercent(Name.toUtf8()));
        if (unescaped != Name)
            path = xsl::FileInStylesFolder(stylesPath, unescaped);
    }
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureBytes)
        return;
    Target = file.readAll();
}

} // namespace rezmira
