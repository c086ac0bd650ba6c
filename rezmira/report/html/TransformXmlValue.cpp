// XMLValue's transformation: CR LF line ends, libxslt in the styles folder, trimmed text output.
#include "rezmira/report/html/TransformXmlValue.h"

#include "rezmira/Error.h"
#include "rezmira/report/html/XslSupport.h"

namespace rezmira {

QByteArray WithCrLfLineEnds(const QByteArray &data) {
    QByteArray out;
    out.reserve(data.size() + data.size() / 16 + 2);
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c != '\r' && c != '\n')
            continue;
        out.append(data.constData() + lineStart, i - lineStart);
        out.append("\r\n", 2);
        if (c == '\r' && i + 1 < data.size() && data.at(i + 1) == '\n')
            ++i;
        lineStart = i + 1;
    }
    // A text that ends with a line break has no further line; an empty text has no line at all.
    if (lineStart < data.size())
        out.append(data.constData() + lineStart, data.size() - lineStart).append("\r\n", 2);
    return out;
}

QString TransformXmlValue(const QByteArray &AData, const QString &AXSLStyle,
                          const QString &stylesPath) {
    try {
        // The report asks for two values of each question's document in a row: the parsed
        // document is kept for the next call with the same data.
        static QByteArray lastData;
        static xsl::XmlDocPtr lastSource;
        if (!lastSource || lastData != AData) {
            lastSource.reset();
            lastSource = xsl::ParseUntrustedXml(WithCrLfLineEnds(AData));
            lastData = AData;
        }
        _xmlDoc *source = lastSource.get();
        const QString stylePath = xsl::FileInStylesFolder(stylesPath, AXSLStyle);
        const QString missing = QStringLiteral("Не найдена таблица стилей");
        if (stylePath.isEmpty())
            throw Error(missing);
        const xsl::XmlDocPtr result = xsl::ApplyStyleSheet(
            stylePath, stylesPath, source, QStringLiteral("Cannot Apply XSL stylesheet"));
        const QString text = xsl::TextOutput(result.get());
        qsizetype begin = 0;
        qsizetype end = text.size();
        while (begin < end && text.at(begin).unicode() <= 32)
            ++begin;
        while (end > begin && text.at(end - 1).unicode() <= 32)
            --end;
        return text.mid(begin, end - begin);
    } catch (const Error &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
}

} // namespace rezmira
