#include "zelm2008/engine/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

namespace zelm {

const char *codePageName(int charset) {
    switch (charset) {
    case 204: return "windows-1251";
    case 238: return "windows-1250";
    case 161: return "windows-1253";
    case 162: return "windows-1254";
    case 186: return "windows-1257";
    default: return "windows-1252";
    }
}

QString toUnicode(const QByteArray &bytes, int charset) {
    QStringDecoder decoder(codePageName(charset));
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray fromUnicode(const QString &text, int charset) {
    QStringEncoder encoder(codePageName(charset), QStringConverter::Flag::ConvertInvalidToNull);
    if (!encoder.isValid())
        return text.toLatin1();
    QByteArray out = encoder.encode(text);
    // The encoder writes NUL for unencodable characters; a real NUL in the text stays NUL.
    if (out.size() == text.size()) {
        for (qsizetype i = 0; i < out.size(); ++i)
            if (out[i] == '\0' && text[i] != QChar(0))
                out[i] = '?';
    }
    return out;
}

QByteArray upperBytes(const QByteArray &bytes, int charset) {
    // One table per call: 256 look-ups built from the code page itself.
    std::array<char, 256> upper{};
    QByteArray all(256, Qt::Uninitialized);
    for (int c = 0; c < 256; ++c)
        all[c] = char(c);
    const QString decoded = toUnicode(all, charset);
    for (int c = 0; c < 256; ++c) {
        upper[c] = char(c);
        if (decoded.size() != 256)
            continue;
        const QChar ch = decoded[c];
        const QChar up = ch.toUpper();
        if (up == ch || up == QChar(0xFFFD))
            continue;
        const QByteArray enc = fromUnicode(QString(up), charset);
        if (enc.size() == 1 && enc[0] != '?')
            upper[c] = enc[0];
    }
    QByteArray out = bytes;
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = upper[static_cast<unsigned char>(out[i])];
    return out;
}

} // namespace zelm
