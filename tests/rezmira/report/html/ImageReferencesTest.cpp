// Picture reference escaping and the rewrite of src attributes to package references.
#include "rezmira/report/html/ImageReferences.h"

#include "rezmira/report/html/XslSupport.h"

#include <gtest/gtest.h>

#include <libxml/tree.h>

using namespace rezmira;

TEST(ImageReferences, EscapesExactlyTheListedBytes) {
    struct Case {
        const char *name;
        QByteArray in;
        QByteArray out;
    };
    const Case cases[] = {
        {"space", "htmlres://\\pic 1.png", "htmlres://\\pic%201.png"},
        {"brackets", "[1]", "%5B1%5D"},
        {"listed", "*#%<>+ []", "%2A%23%25%3C%3E%2B%20%5B%5D"},
        {"kept", "a:/\\.-_~!$&'(),;=?@{}|^`\"", "a:/\\.-_~!$&'(),;=?@{}|^`\""},
        {"controls and DEL", QByteArray("\x01\x1F\x7F\x80", 4), "%01%1F\x7F%80"},
        {"cyrillic utf8", "\xD0\x90", "%D0%90"},
        {"literal %20", "a%20b", "a%2520b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EscapeReferencePath(c.in), c.out);
        EXPECT_EQ(UnescapePercent(c.out), c.in);
    }
    // All 256 bytes: escaped exactly when listed, below 32 or above 127.
    for (int b = 0; b < 256; ++b) {
        const QByteArray one(1, char(b));
        const bool listed = QByteArray("*#%<>+ []").contains(char(b)) || b < 32 || b > 127;
        EXPECT_EQ(EscapeReferencePath(one).size(), listed ? 3 : 1) << b;
    }
}

TEST(ImageReferences, UnescapeKeepsMalformedEscapes) {
    EXPECT_EQ(UnescapePercent("%"), QByteArray("%"));
    EXPECT_EQ(UnescapePercent("%4"), QByteArray("%4"));
    EXPECT_EQ(UnescapePercent("%zz%41%5c"), QByteArray("%zzA\\"));
}

TEST(ImageReferences, RewritesEverySrcAttributeInDocumentOrder) {
    const auto doc = xsl::ParseUntrustedXml(
        "<q><text>x <img src=\"a b.png\"/><img src=\"[1]\" alt=\"a\"/></text>"
        "<option><img src=\"\xD0\x9A\xD0\xBE\xD1\x82.png\"/></option>"
        "<video xmlns:n=\"urn:n\" n:src=\"keep\" src=\"sub dir/p&amp;q.png\"/></q>");
    RewriteImageSources(xmlDocGetRootElement(doc.get()), QStringLiteral("htmlres://"));
    xmlChar *out = nullptr;
    int size = 0;
    xmlDocDumpMemory(doc.get(), &out, &size);
    const QByteArray text(reinterpret_cast<char *>(out), size);
    xmlFree(out);
    EXPECT_TRUE(text.contains("src=\"htmlres://\\a%20b.png\"")) << text.constData();
    EXPECT_TRUE(text.contains("src=\"htmlres://\\%5B1%5D\" alt=\"a\""));
    EXPECT_TRUE(text.contains("src=\"htmlres://\\%D0%9A%D0%BE%D1%82.png\""));
    EXPECT_TRUE(text.contains("n:src=\"keep\""));
    EXPECT_TRUE(text.contains("src=\"htmlres://\\sub%20dir/p&amp;q.png\""));
}

TEST(ImageReferences, RewriteOfNothingIsHarmless) {
    RewriteImageSources(nullptr, QStringLiteral("htmlres://"));
    const auto empty = xsl::ParseUntrustedXml("not xml");
    EXPECT_EQ(xmlDocGetRootElement(empty.get()), nullptr);
    RewriteImageSources(xmlDocGetRootElement(empty.get()), QStringLiteral("htmlres://"));
}
