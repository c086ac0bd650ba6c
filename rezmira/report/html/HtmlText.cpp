// Decoding of HTML bytes and the tokenising of picture references.
#include "rezmira/report/html/HtmlText.h"

#include "rezmira/report/html/CodePages.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace rezmira {

namespace {

QString charsetOf(const QByteArray &bytes) {
    // Meta elements sit at the top of a document; a declaration further down is not looked for.
    static const QRegularExpression meta(
        QStringLiteral(R"(<meta[^>]*charset\s*=\s*["']?\s*([A-Za-z0-9_:.\-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(4096));
    const QRegularExpressionMatch m = meta.match(head);
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

QString decodeAttribute(QStringView value) {
    if (!value.contains(QLatin1Char('&')))
        return value.toString();
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const qsizetype semi = c == QLatin1Char('&') ? value.indexOf(QLatin1Char(';'), i) : -1;
        if (semi < 0 || semi - i > 10) {
            out.append(c);
            continue;
        }
        const QStringView name = value.mid(i + 1, semi - i - 1);
        char32_t code = 0;
        bool ok = true;
        if (name == u"amp")
            code = '&';
        else if (name == u"lt")
            code = '<';
        else if (name == u"gt")
            code = '>';
        else if (name == u"quot")
            code = '"';
        else if (name == u"apos")
            code = '\'';
        else if (name.startsWith(u"#x") || name.startsWith(u"#X"))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(u"#"))
            code = name.mid(1).toUInt(&ok, 10);
        else
            ok = false;
        if (!ok || code == 0 || code > 0x10FFFF) {
            out.append(c);
            continue;
        }
        out.append(QString::fromUcs4(&code, 1));
        i = semi;
    }
    return out;
}

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }

} // namespace

QString DecodeHtmlBytes(const QByteArray &input) {
    QByteArray bytes = input;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = QString::fromUtf8(bytes.mid(3).replace('\0', ' '));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                             : QStringDecoder::Utf16BE);
        text = decoder(bytes.mid(2));
        text.replace(QChar(0), QLatin1Char(' '));
    } else {
        bytes.replace('\0', ' ');
        const QString charset = charsetOf(bytes);
        if (charset == u"windows-1251" || charset == u"cp1251" || charset == u"win-1251")
            text = DecodeCp1251(bytes);
        else if (charset == u"cp866" || charset == u"ibm866" || charset == u"866")
            text = DecodeCp866(bytes);
        else if (charset == u"iso-8859-1" || charset == u"latin1" || charset == u"windows-1252" ||
                 charset == u"us-ascii")
            text = QString::fromLatin1(bytes);
        else
            text = QString::fromUtf8(bytes);
    }
    return text;
}

QString TokeniseImageSources(const QString &html, const QString &tokenPrefix,
                             QStringList &references) {
    QString out;
    out.reserve(html.size());
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype lt = html.indexOf(QLatin1Char('<'), i);
        if (lt < 0) {
            out.append(QStringView(html).mid(i));
            break;
        }
        out.append(QStringView(html).mid(i, lt - i));
        i = lt;
        if (QStringView(html).mid(i, 4) == u"<!--") {
            const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
            const qsizetype stop = end < 0 ? n : end + 3;
            out.append(QStringView(html).mid(i, stop - i));
            i = stop;
            continue;
        }
        if (i + 1 >= n || !html.at(i + 1).isLetter()) {
            out.append(html.at(i));
            ++i;
            continue;
        }
        // An opening tag: copy its name, then walk its attributes.
        qsizetype p = i + 1;
        while (p < n && !isSpace(html.at(p)) && html.at(p) != u'>' && html.at(p) != u'/')
            ++p;
        out.append(QStringView(html).mid(i, p - i));
        while (p < n && html.at(p) != u'>') {
            const qsizetype attrStart = p;
            while (p < n && (isSpace(html.at(p)) || html.at(p) == u'/'))
                ++p;
            const qsizetype nameStart = p;
            while (p < n && !isSpace(html.at(p)) && html.at(p) != u'=' && html.at(p) != u'>' &&
                   html.at(p) != u'/')
                ++p;
            const QStringView name = QStringView(html).mid(nameStart, p - nameStart);
            qsizetype q = p;
            while (q < n && isSpace(html.at(q)))
                ++q;
            if (q >= n || html.at(q) != u'=' || name.isEmpty()) {
                out.append(QStringView(html).mid(attrStart, p - attrStart));
                if (p == attrStart && p < n && html.at(p) != u'>') {
                    out.append(html.at(p));
                    ++p;
                }
                continue;
            }
            ++q;
            while (q < n && isSpace(html.at(q)))
                ++q;
            qsizetype valueStart = q;
            qsizetype valueEnd;
            qsizetype after;
            if (q < n && (html.at(q) == u'"' || html.at(q) == u'\'')) {
                const QChar quote = html.at(q);
                valueStart = q + 1;
                const qsizetype close = html.indexOf(quote, valueStart);
                valueEnd = close < 0 ? n : close;
                after = close < 0 ? n : close + 1;
            } else {
                valueEnd = q;
                while (valueEnd < n && !isSpace(html.at(valueEnd)) && html.at(valueEnd) != u'>')
                    ++valueEnd;
                after = valueEnd;
            }
            if (name.compare(u"src", Qt::CaseInsensitive) == 0) {
                out.append(QStringView(html).mid(attrStart, nameStart - attrStart));
                out.append(name);
                out.append(QLatin1String("=\""));
                out.append(tokenPrefix).append(QString::number(references.size()));
                out.append(QLatin1Char('"'));
                references.append(
                    decodeAttribute(QStringView(html).mid(valueStart, valueEnd - valueStart)));
            } else {
                out.append(QStringView(html).mid(attrStart, after - attrStart));
            }
            p = after;
        }
        if (p < n) {
            out.append(QLatin1Char('>'));
            ++p;
        }
        i = p;
    }
    return out;
}

} // namespace rezmira
