// Builders for the HTML view suites: stored ZIP packages with chosen entry-name encodings,
// solid-colour pictures, question content documents and a scratch styles folder.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QtEndian>

#include <utility>
#include <vector>

namespace htmltest {

inline quint32 crc32(const QByteArray &data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

/// One entry of a stored (uncompressed) ZIP: raw name bytes and whether the UTF-8 flag is set.
struct ZipEntry {
    QByteArray rawName;
    QByteArray data;
    bool utf8Flag = false;
};

/// A ZIP archive with stored entries, names written exactly as given.
inline QByteArray buildZip(const std::vector<ZipEntry> &entries) {
    auto le16 = [](QByteArray &out, quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    auto le32 = [](QByteArray &out, quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    QByteArray zip;
    QByteArray central;
    for (const ZipEntry &e : entries) {
        const quint32 offset = quint32(zip.size());
        const quint16 flags = e.utf8Flag ? 0x0800 : 0;
        const quint32 crc = crc32(e.data);
        le32(zip, 0x04034b50);
        le16(zip, 20);
        le16(zip, flags);
        le16(zip, 0);
        le16(zip, 0);
        le16(zip, 0x21);
        le32(zip, crc);
        le32(zip, quint32(e.data.size()));
        le32(zip, quint32(e.data.size()));
        le16(zip, quint16(e.rawName.size()));
        le16(zip, 0);
        zip.append(e.rawName).append(e.data);

        le32(central, 0x02014b50);
        le16(central, 20);
        le16(central, 20);
        le16(central, flags);
        le16(central, 0);
        le16(central, 0);
        le16(central, 0x21);
        le32(central, crc);
        le32(central, quint32(e.data.size()));
        le32(central, quint32(e.data.size()));
        le16(central, quint16(e.rawName.size()));
        le16(central, 0);
        le16(central, 0);
        le16(central, 0);
        le16(central, 0);
        le32(central, 0);
        le32(central, offset);
        central.append(e.rawName);
    }
    const quint32 centralOffset = quint32(zip.size());
    zip.append(central);
    le32(zip, 0x06054b50);
    le16(zip, 0);
    le16(zip, 0);
    le16(zip, quint16(entries.size()));
    le16(zip, quint16(entries.size()));
    le32(zip, quint32(central.size()));
    le32(zip, centralOffset);
    le16(zip, 0);
    return zip;
}

/// A PNG of one colour.
inline QByteArray solidPng(QColor colour, int width = 24, int height = 24) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

/// A question content document as the result tables store it: UTF-8 with a byte-order mark,
/// the question-out element as root.
inline QByteArray questionContent(const QString &innerXml) {
    return QByteArray("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<question-out number=\"1\">") +
           innerXml.toUtf8() + QByteArray("</question-out>");
}

inline void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace htmltest
