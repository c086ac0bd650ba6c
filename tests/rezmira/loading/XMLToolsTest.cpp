#include "rezmira/loading/XMLTools.h"

#include "tests/support/TestSupport.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QUrl>

using namespace rezmira;

namespace {

// The text of the document element of `bytes`, or "<unparseable>".
QString rootText(const QByteArray &bytes) {
    XmlDocPtr doc = parseXmlDocument(bytes);
    if (!doc)
        return QStringLiteral("<unparseable>");
    XPathReader reader(doc.get());
    return reader.readText(xmlDocGetRootElement(doc.get()), "string(.)");
}

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}

} // namespace

TEST(XMLTools, DecodesByByteOrderMarkThenDeclaredSingleByteEncodingElseUtf8) {
    const QString word = QStringLiteral("Ёжик Ω");
    const QString cyr = QStringLiteral("Ёжик");
    struct Case {
        const char *name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"utf8 plain", "<r>" + word.toUtf8() + "</r>", word},
        {"utf8 bom", "\xEF\xBB\xBF<r>" + word.toUtf8() + "</r>", word},
        {"utf16le bom", utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>") + word + "</r>",
                              QStringConverter::Utf16LE), word},
        {"utf16be bom", utf16(QStringLiteral("<r>") + word + "</r>", QStringConverter::Utf16BE), word},
        {"windows-1251 any case", "<?xml version=\"1.0\" encoding=\"wINDOWS-1251\"?><r>\xA8\xE6\xE8\xEA</r>", cyr},
        {"iso-8859-1", "<?xml version='1.0' encoding = 'iso-8859-1'?><r>\xC0\xFF</r>",
         QStringLiteral("\u00C0\u00FF")},
        // Another declared encoding is read as UTF-8, whatever it claims.
        {"koi8 declared, utf8 stored", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r>" + cyr.toUtf8() + "</r>", cyr},
        {"utf16 declared without bom", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>" + cyr.toUtf8() + "</r>", cyr},
        // A declaration naming Windows-1251 does not win over a UTF-8 mark.
        {"bom beats declaration", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1251\"?><r>" + cyr.toUtf8() + "</r>", cyr},
        {"bad utf8", "<r>\xC0\xFF</r>", QStringLiteral("<unparseable>")},
        // Without a mark, UTF-16 is read as UTF-8 and so cannot be parsed.
        {"utf16le without bom", utf16(QStringLiteral("<?xml version=\"1.0\"?><r>") + word + "</r>", QStringConverter::Utf16LE).sliced(2),
         QStringLiteral("<unparseable>")},
        {"utf16be without bom", utf16(QStringLiteral("<?xml version=\"1.0\"?><r>") + word + "</r>", QStringConverter::Utf16BE).sliced(2),
         QStringLiteral("<unparseable>")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rootText(c.bytes).toStdString(), c.expected.toStdString());
    }
}

TEST(XMLTools, IntegerReadsNeverFail) {
    struct Case {
        const char *text;
        int expected;
    } cases[] = {{"", 0},          {"42", 42},        {"-7", -7},         {"+7", 7},
                 {"007", 7},       {"7.5", 0},        {"12a", 0},         {"a12", 0},
                 {"-", 0},         {"1 2", 0},        {"2147483647", 2147483647},
                 {"-2147483648", -2147483647 - 1},    {"2147483648", 0},  {"-2147483649", 0},
                 {"99999999999999999999", 0},         {"\u0661", 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(toIntegerOrZero(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(XMLTools, XPathReadsNormaliseSpaceAndTakeTheFirstMatch) {
    XmlDocPtr doc = parseXmlDocument("<r><a> x \n\t y </a><a>second</a><n> 12 </n></r>");
    ASSERT_TRUE(doc);
    XPathReader reader(doc.get());
    xmlNode *root = xmlDocGetRootElement(doc.get());
    EXPECT_EQ(reader.readText(root, "normalize-space(a)"), QStringLiteral("x y"));
    EXPECT_EQ(reader.readText(root, "normalize-space(missing)"), QString());
    EXPECT_EQ(reader.readInteger(root, "normalize-space(n)"), 12);
    EXPECT_EQ(reader.readInteger(root, "normalize-space(a)"), 0);
    EXPECT_EQ(reader.readText(root, "not an (expression"), QString());
}

TEST(XMLTools, HostileDocumentsAreUnparseable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile secret(dir.filePath(QStringLiteral("secret.txt")));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("TOPSECRET");
    secret.close();
    const QByteArray secretUrl = QUrl::fromLocalFile(secret.fileName()).toEncoded();

    QByteArray laughs = "<!DOCTYPE r [<!ENTITY a0 \"lollollollollollollollollollol\">";
    for (int i = 1; i < 12; ++i)
        laughs += "<!ENTITY a" + QByteArray::number(i) + " \"" +
                  QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    laughs += "]><r>&a11;</r>";
    const QByteArray quadratic = "<!DOCTYPE r [<!ENTITY a \"" + QByteArray(100000, 'x') + "\">]><r>" +
                                 QByteArray("&a;").repeated(100000) + "</r>";
    QByteArray deep;
    for (int i = 0; i < 300; ++i)
        deep += "<d>";
    for (int i = 0; i < 300; ++i)
        deep += "</d>";

    struct Case {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"external entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r>&x;</r>"},
        {"parameter entity", "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + secretUrl + "\"> %p;]><r/>"},
        {"billion laughs", laughs},
        {"quadratic blow-up", quadratic},
        {"nesting deeper than 256", deep},
        {"not well-formed", "<r><a></r>"},
        {"empty", ""},
        {"text", "hello"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseXmlDocument(c.bytes), nullptr);
    }
    // An external DTD is never loaded: its entities stay unresolved references.
    EXPECT_EQ(rootText("<!DOCTYPE r SYSTEM \"" + secretUrl + "\"><r>a&x;b</r>"), QStringLiteral("ab"));
    // A plain internal subset without entities is harmless and stays readable.
    EXPECT_EQ(rootText("<!DOCTYPE r [<!ELEMENT r ANY>]><r>ok &amp; &#1025;</r>"), QStringLiteral("ok & Ё"));
}

TEST(XMLTools, ImportNodeCopiesElementsAttributesAndTextOnly) {
    XmlDocPtr source = parseXmlDocument(
        "<r xmlns:m=\"urn:m\"><q n=\"1\" m:k=\"v&amp;w\">  lead <![CDATA[cdata]]><!-- c --><?pi x?>"
        "<b a=\"&lt;\"> in <i>deep<!-- d --></i>\n</b><m:e/></q></r>");
    ASSERT_TRUE(source);
    xmlNode *q = xmlDocGetRootElement(source.get())->children;
    XmlDocPtr target(xmlNewDoc(BAD_CAST "1.0"));
    xmlNode *root = xmlNewDocNode(target.get(), nullptr, BAD_CAST "t", nullptr);
    xmlDocSetRootElement(target.get(), root);
    ImportNode(q, target.get(), root);
    const QByteArray saved = saveXmlUtf8WithBom(target.get());
    EXPECT_EQ(saved.toStdString(),
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
              "<t><q n=\"1\" m:k=\"v&amp;w\">  lead <b a=\"&lt;\"> in <i>deep</i>\n</b><m:e/></q></t>");
    // The copy parses again with its text intact.
    EXPECT_EQ(rootText(saved), QStringLiteral("  lead  in deep\n"));
}

TEST(XMLTools, SavesNonAsciiTextAsUtf8) {
    XmlDocPtr doc = parseXmlDocument("<r a=\"Ё\">Ёж</r>");
    ASSERT_TRUE(doc);
    EXPECT_TRUE(saveXmlUtf8WithBom(doc.get()).endsWith("<r a=\"Ё\">Ёж</r>"));
}
