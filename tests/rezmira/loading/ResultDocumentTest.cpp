#include "rezmira/loading/ResultDocument.h"

#include "rezmira/Error.h"
#include "rezmira/loading/XMLTools.h"
#include "tests/support/TestSupport.h"

using namespace rezmira;

namespace {

const QByteArray kBegin =
    "<begin><date><day>5</day><month>3</month><year>2009</year></date>"
    "<time><hour>14</hour><min>7</min><sec>9</sec></time></begin>";

// A result document: `user` and `test` markup, then summary children, then the rest.
QByteArray document(const QByteArray &head, const QByteArray &summary, const QByteArray &body = {}) {
    return "<result-out>" + head + "<summary>" + summary + "</summary>" + body + "</result-out>";
}

struct Read {
    ResultTables tables;
    QString error; // empty when the read succeeded
};

std::unique_ptr<Read> read(const QByteArray &bytes) {
    auto r = std::make_unique<Read>();
    r->tables.ResetTables();
    XmlDocPtr doc = parseXmlDocument(bytes);
    if (!doc) {
        r->error = QStringLiteral("unparseable");
        return r;
    }
    try {
        ReadResultDocument(r->tables, xmlDocGetRootElement(doc.get()));
    } catch (const Error &e) {
        r->error = e.message();
    }
    return r;
}

QString summaryText(const Read &r, const char *field) {
    return r.tables.ResultsCDS.value(0, QString::fromLatin1(field)).toString();
}

QString formatted(double value) {
    const datetime::Parts p = datetime::decode(value);
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute, p.second);
}

} // namespace

TEST(ReadResultDocument, ComposesUserNameWithTheSpacesOfWhatPrecedes) {
    struct Case {
        const char *name;
        QByteArray user;
        const char *expected;
    } cases[] = {
        {"all three", "<last-name>Петров</last-name><first-name>Алексей</first-name><patronymic-name>Викторович</patronymic-name>",
         "Петров Алексей Викторович"},
        {"last name only", "<last-name>Петров</last-name>", "Петров  "},
        {"no first name", "<last-name>Петров</last-name><patronymic-name>Викторович</patronymic-name>", "Петров  Викторович"},
        {"first name only", "<first-name>Алексей</first-name>", "Алексей "},
        {"patronymic only", "<patronymic-name>Викторович</patronymic-name>", "Викторович"},
        {"none", "", ""},
        {"spaces normalised", "<last-name>\n  Петров \t</last-name><first-name> Алексей  Иван </first-name>", "Петров Алексей Иван "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = read(document("<user>" + c.user + "</user>", kBegin));
        ASSERT_EQ(r->error, QString());
        EXPECT_EQ(summaryText(*r, "USERNAME").toStdString(), std::string(c.expected));
    }
}

TEST(ReadResultDocument, FillsTheSummaryRow) {
    const auto r = read(document(
        "<user><additional-info> Цех  № 2 </additional-info></user><test>" + QByteArray(150, 'T') + "</test>",
        kBegin +
            "<sections><count>3</count><answered>2</answered></sections>"
            "<questions><count>6</count><answered>5</answered></questions>"
            "<test-time><pass><hour>0</hour><min>12</min><sec>30</sec></pass>"
            "<total><hour>23</hour><min>59</min><sec>59</sec></total></test-time>"
            "<rating><max>12</max><current>7.5</current><in-percent>12a</in-percent></rating>"
            "<mark>Хорошо</mark>"));
    ASSERT_EQ(r->error, QString());
    const ResultTable &t = r->tables.ResultsCDS;
    ASSERT_EQ(t.rowCount(), 1);
    EXPECT_EQ(t.value(0, u"TESTNAME").toString(), QString(100, u'T'));
    EXPECT_EQ(t.value(0, u"USERNOTES").toString(), QStringLiteral("Цех № 2"));
    EXPECT_EQ(formatted(t.value(0, u"BEGDATE").toDouble()), QStringLiteral("2009-03-05 14:07:09"));
    EXPECT_EQ(t.value(0, u"SECTCOUNT").toInt(), 3);
    EXPECT_EQ(t.value(0, u"SANSWERED").toInt(), 2);
    EXPECT_EQ(t.value(0, u"QUESTCOUNT").toInt(), 6);
    EXPECT_EQ(t.value(0, u"QANSWERED").toInt(), 5);
    EXPECT_EQ(t.value(0, u"TIMESPEND").toDouble(), (12 * 60 + 30) / 86400.0);
    EXPECT_EQ(formatted(t.value(0, u"TESTTIME").toDouble()), QStringLiteral("1899-12-30 23:59:59"));
    EXPECT_EQ(t.value(0, u"MAXRATING").toInt(), 12);
    EXPECT_EQ(t.value(0, u"RATING").toInt(), 0);   // 7.5
    EXPECT_EQ(t.value(0, u"RPERCENT").toInt(), 0); // 12a
    EXPECT_EQ(t.value(0, u"MARK").toString(), QStringLiteral("Хорошо"));
    EXPECT_EQ(r->tables.SResultsCDS.rowCount(), 0);
    EXPECT_EQ(r->tables.QResultsCDS.rowCount(), 0);
}

TEST(ReadResultDocument, RejectsImpossibleDatesAndTimesBeforeAnyRow) {
    const auto begin = [](const char *d, const char *m, const char *y, const char *h = "0",
                          const char *mi = "0", const char *s = "0") {
        return QByteArray("<begin><date><day>") + d + "</day><month>" + m + "</month><year>" + y +
               "</year></date><time><hour>" + h + "</hour><min>" + mi + "</min><sec>" + s + "</sec></time></begin>";
    };
    const QByteArray pass24 = "<test-time><pass><hour>24</hour></pass></test-time>";
    struct Case {
        const char *name;
        QByteArray summary;
        bool accepted;
    } cases[] = {
        {"no begin date", "<mark>x</mark>", false},
        {"29 February of a leap year", begin("29", "2", "2024"), true},
        {"29 February otherwise", begin("29", "2", "2023"), false},
        {"1900 is no leap year", begin("29", "2", "1900"), false},
        {"year 1", begin("1", "1", "1"), true},
        {"year 0", begin("1", "1", "0"), false},
        {"year 9999", begin("31", "12", "9999"), true},
        {"year 10000", begin("1", "1", "10000"), false},
        {"month 13", begin("1", "13", "2009"), false},
        {"day 7.5", begin("7.5", "3", "2009"), false},
        {"hour 23:59:59", begin("1", "1", "2009", "23", "59", "59"), true},
        {"hour 24", begin("1", "1", "2009", "24"), false},
        {"minute 60", begin("1", "1", "2009", "0", "60"), false},
        {"second 60", begin("1", "1", "2009", "0", "0", "60"), false},
        {"negative second", begin("1", "1", "2009", "0", "0", "-1"), false},
        {"time spent hour 24", kBegin + pass24, false},
        {"total minute 60", kBegin + "<test-time><total><min>60</min></total></test-time>", false},
        {"no test-time at all", kBegin, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto r = read(document("<test>t</test>", c.summary, "<section-out number=\"1\"/>"));
        EXPECT_EQ(r->error.isEmpty(), c.accepted) << r->error.toStdString();
        EXPECT_EQ(r->tables.ResultsCDS.rowCount(), c.accepted ? 1 : 0);
        EXPECT_EQ(r->tables.SResultsCDS.rowCount(), c.accepted ? 1 : 0);
        if (c.accepted) {
            EXPECT_EQ(r->tables.ResultsCDS.value(0, u"TIMESPEND").toDouble(), 0.0);
        }
    }
}

TEST(ReadResultDocument, AddsSectionsAndTheirQuestionsInDocumentOrder) {
    const QByteArray question =
        "<summary><rating><max>2</max><current>1</current><in-percent>50</in-percent></rating><mark> Частично </mark></summary>";
    const auto r = read(document(
        "", kBegin,
        "<question-out number=\"99\">" + question + "</question-out>" // not inside a section: ignored
        "<section-out number=\"7\"><section-name>Первый</section-name>"
        "<summary><questions><count>2</count><answered>1</answered></questions>"
        "<rating><max>4</max><current>1</current><in-percent>25</in-percent></rating><mark>Плохо</mark></summary>"
        "<question-out number=\"1\">" + question + "</question-out>"
        "<other><question-out number=\"98\"/></other>"                // not a direct child: ignored
        "<question-out number=\"x\"/></section-out>"
        "<wrapper><section-out number=\"97\"/></wrapper>"             // not a child of the root: ignored
        "<section-out><question-out number=\"3\"/></section-out>"));
    ASSERT_EQ(r->error, QString());
    const ResultTable &s = r->tables.SResultsCDS;
    ASSERT_EQ(s.rowCount(), 2);
    EXPECT_EQ(s.value(0, u"SRESULT_ID").toInt(), 1);
    EXPECT_EQ(s.value(0, u"SNUMBER").toInt(), 7);
    EXPECT_EQ(s.value(0, u"SNAME").toString(), QStringLiteral("Первый"));
    EXPECT_EQ(s.value(0, u"SQUESTCOUNT").toInt(), 2);
    EXPECT_EQ(s.value(0, u"SQANSWERED").toInt(), 1);
    EXPECT_EQ(s.value(0, u"SMAXRATING").toInt(), 4);
    EXPECT_EQ(s.value(0, u"SRATING").toInt(), 1);
    EXPECT_EQ(s.value(0, u"SRPERCENT").toInt(), 25);
    EXPECT_EQ(s.value(0, u"SMARK").toString(), QStringLiteral("Плохо"));
    EXPECT_EQ(s.value(1, u"SRESULT_ID").toInt(), 2);
    EXPECT_EQ(s.value(1, u"SNUMBER").toInt(), 0);
    EXPECT_EQ(s.value(1, u"SNAME").toString(), QString());

    const ResultTable &q = r->tables.QResultsCDS;
    ASSERT_EQ(q.rowCount(), 3);
    const int expected[][6] = {{1, 1, 1, 2, 1, 50}, {2, 1, 0, 0, 0, 0}, {3, 2, 3, 0, 0, 0}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(q.value(row, u"QRESULT_ID").toInt(), expected[row][0]);
        EXPECT_EQ(q.value(row, u"SRESULTID").toInt(), expected[row][1]);
        EXPECT_EQ(q.value(row, u"QNUMBER").toInt(), expected[row][2]);
        EXPECT_EQ(q.value(row, u"QMAXRATING").toInt(), expected[row][3]);
        EXPECT_EQ(q.value(row, u"QRATING").toInt(), expected[row][4]);
        EXPECT_EQ(q.value(row, u"QRPERCENT").toInt(), expected[row][5]);
    }
    EXPECT_EQ(q.value(0, u"QMARK").toString(), QStringLiteral("Частично"));
}

TEST(ReadResultDocument, QuestionContentIsTheQuestionAsItsOwnUtf8Document) {
    const auto r = read(document(
        "", kBegin,
        "<section-out number=\"1\">"
        "<question-out number=\"1\" kind=\"a&amp;b\">\n  <summary><mark>Верно</mark></summary>\n"
        "  <question type=\"single\"><text>Что <![CDATA[скрыто]]>видно?<!-- note --> <img src=\"images/x.png\"/></text>"
        "<?pi data?><option id=\"1\">Да</option><summary>вложенный</summary></question>\n"
        "  <user-answer><option id=\"1\"/></user-answer>\n"
        "  <summary>second</summary>"
        "</question-out></section-out>"));
    ASSERT_EQ(r->error, QString());
    ASSERT_EQ(r->tables.QResultsCDS.rowCount(), 1);
    const QByteArray content = r->tables.QResultsCDS.value(0, u"QCONTENT").toByteArray();
    EXPECT_EQ(content.toStdString(),
              "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
              "<question-out number=\"1\" kind=\"a&amp;b\">\n  \n"
              "  <question type=\"single\"><text>Что видно? <img src=\"images/x.png\"/></text>"
              "<option id=\"1\">Да</option><summary>вложенный</summary></question>\n"
              "  <user-answer><option id=\"1\"/></user-answer>\n"
              "  </question-out>");
    // Every reader parses it back.
    XmlDocPtr again = parseXmlDocument(content);
    ASSERT_TRUE(again);
    EXPECT_STREQ(reinterpret_cast<const char *>(xmlDocGetRootElement(again.get())->name), "question-out");
}
