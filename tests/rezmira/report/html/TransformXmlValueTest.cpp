// XMLValue's transformation: the sample answer style sheets, trimming, line ends, failures as
// text, and the confinement of style sheets to the styles folder.
#include "rezmira/report/html/TransformXmlValue.h"

#include "TestPackage.h"
#include "rezmira/report/html/XslSupport.h"

#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QUrl>

using namespace rezmira;

namespace {

const QString kStyles = QStringLiteral(XSL_STYLES_DIR);

QByteArray sheet(const QString &body, const QString &extraNs = {}) {
    return ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" " +
            extraNs + ">\n<xsl:output method=\"text\"/>\n" + body + "\n</xsl:stylesheet>\n")
        .toUtf8();
}

const QByteArray kQuestion = htmltest::questionContent(QStringLiteral(
    "<question type=\"multiple\"><text>Какие?</text>"
    "<option id=\"1\">Перчатки</option><option id=\"2\">Штанги</option>"
    "<option id=\"3\">  Коврики\n </option></question>"
    "<user-answer><option id=\"1\"/><option id=\"3\"/></user-answer>"
    "<right-answer><option id=\"1\"/><option id=\"2\"/></right-answer>"));

class Scratch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.isValid());
        m_styles = m_root.filePath("XSL Styles");
        QDir().mkpath(m_styles);
        xsl::ClearStyleSheetCache();
    }
    void style(const QString &name, const QByteArray &bytes) {
        htmltest::writeFile(m_styles + "/" + name, bytes);
    }
    QTemporaryDir m_root;
    QString m_styles;
};

} // namespace

TEST(TransformXmlValue, SampleAnswerSheetsListTheChosenOptions) {
    EXPECT_EQ(TransformXmlValue(kQuestion, "useranswer.xsl", kStyles),
              QString::fromUtf8("1) Перчатки; 3) Коврики"));
    EXPECT_EQ(TransformXmlValue(kQuestion, "rightanswer.xsl", kStyles),
              QString::fromUtf8("1) Перчатки; 2) Штанги"));
    const QByteArray unanswered = htmltest::questionContent(
        "<question type=\"single\"><text>Q</text><option id=\"1\">A</option></question>"
        "<user-answer/><right-answer><option id=\"1\"/></right-answer>");
    EXPECT_EQ(TransformXmlValue(unanswered, "useranswer.xsl", kStyles),
              QString::fromUtf8("нет ответа"));
    const QByteArray typed = htmltest::questionContent(
        "<question type=\"input\"><text>Q</text></question>"
        "<user-answer><value> 15 </value></user-answer><right-answer><value>30</value>"
        "</right-answer>");
    EXPECT_EQ(TransformXmlValue(typed, "useranswer.xsl", kStyles), QStringLiteral("15"));
    EXPECT_EQ(TransformXmlValue(typed, "rightanswer.xsl", kStyles), QStringLiteral("30"));
}

TEST(TransformXmlValue, SampleAnswersOfTheSharedResultDocument) {
    REQUIRE_SHARED_FIXTURES("crypto/result.xml");
    // The question-out elements of the shared example, wrapped as the result tables store them.
    const QByteArray doc = testsupport::readAll(testsupport::sharedFixtures("crypto/result.xml"));
    const qsizetype begin = doc.indexOf("<question-out number=\"2\">");
    const qsizetype end = doc.indexOf("</question-out>", begin) + 15;
    ASSERT_GT(begin, 0);
    const QByteArray content = "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" +
                               doc.mid(begin, end - begin);
    EXPECT_EQ(TransformXmlValue(content, "useranswer.xsl", kStyles),
              QString::fromUtf8("1) Диэлектрические перчатки; 2) Изолирующие штанги"));
}

TEST_F(Scratch, TrimsSpacesAndLineBreaksAtBothEnds) {
    style("ws.xsl", sheet("<xsl:template match=\"/\"> \n\t  \n</xsl:template>"));
    style("echo.xsl", sheet("<xsl:template match=\"/\"><xsl:text>&#13;&#10; &#9;</xsl:text>"
                            "<xsl:value-of select=\"/r\"/><xsl:text> &#10;</xsl:text>"
                            "</xsl:template>"));
    EXPECT_EQ(TransformXmlValue(kQuestion, "ws.xsl", m_styles), QString());
    EXPECT_EQ(TransformXmlValue("<r>a\n b</r>", "echo.xsl", m_styles), QStringLiteral("a\n b"));
}

TEST(TransformXmlValue, LineEndRule) {
    EXPECT_EQ(WithCrLfLineEnds(""), QByteArray());
    EXPECT_EQ(WithCrLfLineEnds("a"), QByteArray("a\r\n"));
    EXPECT_EQ(WithCrLfLineEnds("a\n"), QByteArray("a\r\n"));
    EXPECT_EQ(WithCrLfLineEnds("\xEF\xBB\xBFx\r\n\ny\r"), QByteArray("\xEF\xBB\xBFx\r\n\r\ny\r\n"));
}

TEST_F(Scratch, FailuresAnswerTheirMessage) {
    style("broken.xsl", "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"");
    style("bad-xpath.xsl", sheet("<xsl:template match=\"/\"><xsl:value-of select=\"(\"/>"
                               "</xsl:template>"));
    style("terminate.xsl", sheet("<xsl:template match=\"/\"><xsl:message terminate=\"yes\">"
                               "stop here</xsl:message></xsl:template>"));
    EXPECT_EQ(TransformXmlValue(kQuestion, "missing.xsl", m_styles),
              QString::fromUtf8("Не найдена таблица стилей"));
    const QString broken = TransformXmlValue(kQuestion, "broken.xsl", m_styles);
    EXPECT_FALSE(broken.isEmpty());
    EXPECT_NE(broken, QString::fromUtf8("Не найдена таблица стилей"));
    EXPECT_FALSE(TransformXmlValue(kQuestion, "bad-xpath.xsl", m_styles).isEmpty());
    EXPECT_TRUE(TransformXmlValue(kQuestion, "terminate.xsl", m_styles).contains("stop here"));
}

TEST_F(Scratch, DataThatIsNotXmlIsTransformedAsAnEmptyDocument) {
    style("count.xsl", sheet("<xsl:template match=\"/\">n=<xsl:value-of select=\"count(//*)\"/>"
                           "</xsl:template>"));
    EXPECT_EQ(TransformXmlValue("<a><b/></a>", "count.xsl", m_styles), QStringLiteral("n=2"));
    EXPECT_EQ(TransformXmlValue("<a><b></a>", "count.xsl", m_styles), QStringLiteral("n=0"));
    EXPECT_EQ(TransformXmlValue("", "count.xsl", m_styles), QStringLiteral("n=0"));
    // An entity declaration could blow the text up: such data counts as not well-formed.
    EXPECT_EQ(TransformXmlValue("<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", "count.xsl",
                                m_styles),
              QStringLiteral("n=0"));
}

TEST_F(Scratch, NodeSetFunctionsOfWindowsAndExslt) {
    const QString body = QStringLiteral(
        "<xsl:variable name=\"v\"><i>a</i><i>b</i></xsl:variable>"
        "<xsl:template match=\"/\"><xsl:value-of select=\"count(%1:node-set($v)/i)\"/>"
        "</xsl:template>");
    style("ms.xsl", sheet(body.arg("msxsl"), "xmlns:msxsl=\"urn:schemas-microsoft-com:xslt\""));
    style("ex.xsl", sheet(body.arg("exsl"), "xmlns:exsl=\"http://exslt.org/common\""));
    EXPECT_EQ(TransformXmlValue("<r/>", "ms.xsl", m_styles), QStringLiteral("2"));
    EXPECT_EQ(TransformXmlValue("<r/>", "ex.xsl", m_styles), QStringLiteral("2"));
}

TEST_F(Scratch, StyleSheetsStayInsideTheStylesFolder) {
    htmltest::writeFile(m_root.filePath("outside.xml"), "<o>secret</o>");
    htmltest::writeFile(m_root.filePath("outside.xsl"), sheet("<xsl:template match=\"/\">out"
                                                            "</xsl:template>"));
    style("sub dir/inside.xml", "<o>inside</o>");
    style("sub dir/inner.xsl", sheet("<xsl:template match=\"/\">inner</xsl:template>"));
    style("read.xsl", sheet("<xsl:template match=\"/\"><xsl:value-of select=\"document("
                          "'sub%20dir/inside.xml')/o\"/></xsl:template>"));
    style("steal.xsl", sheet("<xsl:template match=\"/\">[<xsl:value-of select=\"document('" +
                           m_root.filePath("outside.xml").toUtf8() + "')/o\"/>]</xsl:template>"));
    style("up.xsl", sheet("<xsl:template match=\"/\">[<xsl:value-of select=\"document("
                        "'../outside.xml')/o\"/>]</xsl:template>"));
    style("net.xsl", sheet("<xsl:template match=\"/\">[<xsl:value-of select=\"document("
                         "'http://127.0.0.1:9/x.xml')/o\"/>]</xsl:template>"));
    style("import.xsl", "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/"
                        "XSL/Transform\"><xsl:import href=\"../outside.xsl\"/></xsl:stylesheet>");
    style("xxe.xsl", "<!DOCTYPE xsl:stylesheet [<!ENTITY x SYSTEM \"" +
                         QUrl::fromLocalFile(m_root.filePath("outside.xml")).toEncoded() +
                         "\">]><xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/"
                         "XSL/Transform\"><xsl:template match=\"/\">[&x;]</xsl:template>"
                         "</xsl:stylesheet>");
    style("import-in.xsl", "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/"
                           "XSL/Transform\"><xsl:import href=\"sub%20dir/inner.xsl\"/>"
                           "</xsl:stylesheet>");
    const QString written = m_root.filePath("written.txt");
    style("write.xsl", sheet("<xsl:template match=\"/\"><exsl:document href=\"" + written.toUtf8() +
                               "\" method=\"text\">x</exsl:document>ok</xsl:template>",
                           "xmlns:exsl=\"http://exslt.org/common\" "
                           "extension-element-prefixes=\"exsl\""));

    EXPECT_EQ(TransformXmlValue("<r/>", "read.xsl", m_styles), QStringLiteral("inside"));
    EXPECT_EQ(TransformXmlValue("<r/>", "sub dir\\inner.xsl", m_styles), QStringLiteral("inner"));
    EXPECT_EQ(TransformXmlValue("<r/>", "import-in.xsl", m_styles), QStringLiteral("inner"));
    // An external entity outside the folder is not loaded; it simply stays empty.
    EXPECT_FALSE(TransformXmlValue("<r/>", "xxe.xsl", m_styles).contains("secret"));
    for (const char *name : {"steal.xsl", "up.xsl", "net.xsl", "import.xsl", "write.xsl"}) {
        SCOPED_TRACE(name);
        const QString answer = TransformXmlValue("<r/>", name, m_styles);
        EXPECT_TRUE(answer.contains("refused") || answer.contains("denied")) << answer.toStdString();
        EXPECT_FALSE(answer.contains("secret"));
        EXPECT_NE(answer, QStringLiteral("out"));
        EXPECT_NE(answer, QStringLiteral("ok"));
    }
    EXPECT_FALSE(QFile::exists(written));
    for (const QString &name : {QStringLiteral("../outside.xsl"), m_root.filePath("outside.xsl"),
                                QStringLiteral("..\\outside.xsl")})
        EXPECT_EQ(TransformXmlValue("<r/>", name, m_styles),
                  QString::fromUtf8("Не найдена таблица стилей"));
}

TEST_F(Scratch, AChangedStyleSheetIsCompiledAgain) {
    style("v.xsl", sheet("<xsl:template match=\"/\">one</xsl:template>"));
    EXPECT_EQ(TransformXmlValue("<r/>", "v.xsl", m_styles), QStringLiteral("one"));
    style("v.xsl", sheet("<xsl:template match=\"/\">second version</xsl:template>"));
    EXPECT_EQ(TransformXmlValue("<r/>", "v.xsl", m_styles), QStringLiteral("second version"));
}
