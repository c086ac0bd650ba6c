// The protocol template MAINREPORT prepared over MainQuery: blocks shown and hidden, the
// heading's number, icons by score, section groups, times, geometry, page numbers and splits.
#include "rezmira/report/ProtocolReport.h"

#include "engine_StandIn.h"
#include "tests/support/TestSupport.h"

using namespace rezmira;
using namespace rezmira::report;
using reporttest::Question;
using reporttest::Section;

namespace {

struct Protocol {
    ResultTables tables;
    ProtocolReport report{tables,
                          [](const QByteArray &, const QString &style) { return QStringLiteral("ответ ") + style; },
                          reporttest::linesFactory()};
};

QList<const PreparedObject *> named(const PreparedReport &r, const QString &name) {
    QList<const PreparedObject *> out;
    for (const PreparedPage &p : r.pages)
        for (const PreparedObject &o : p.objects)
            if (o.name == name)
                out.append(&o);
    return out;
}

QStringList textsOf(const PreparedReport &r, const QString &name) {
    QStringList out;
    for (const PreparedObject *o : named(r, name))
        out.append(o->text());
    return out;
}

const QList<Section> kTwoSections = {{1, QStringLiteral("Механика")}, {2, QStringLiteral("Оптика")}};

} // namespace

TEST(ProtocolTemplate, SectionBlockAndHeadingNumberFollowTheSections) {
    const struct {
        const char *name;
        int sectCount, sAnswered;
        bool sectionBlock;
        const char *heading;
    } cases[] = {
        {"one section", 1, 1, false, "3. Протокол тестирования"},
        {"no section answered", 2, 0, false, "3. Протокол тестирования"},
        {"two sections answered", 2, 1, true, "4. Протокол тестирования"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Protocol p;
        reporttest::fillTables(p.tables, kTwoSections, {{0, 1}, {1, 2}}, c.sectCount, c.sAnswered, 2);
        const PreparedReport r = p.report.Prepare();
        ASSERT_TRUE(r.errors.isEmpty());
        EXPECT_EQ(named(r, QStringLiteral("Memo23")).size(), c.sectionBlock ? 1 : 0);
        EXPECT_EQ(named(r, QStringLiteral("Memo24")).size(), c.sectionBlock ? 2 : 0);
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo29")), QStringList{QString::fromUtf8(c.heading)});
        EXPECT_EQ(named(r, QStringLiteral("Memo30")).size(), 2);
    }
}

TEST(ProtocolTemplate, NoAnsweredQuestionLeavesTheProtocolOutAndAReopenShowsItAgain) {
    Protocol p;
    reporttest::fillTables(p.tables, kTwoSections, {{0, 1}, {1, 2}}, 2, 0, 0);
    PreparedReport r = p.report.Prepare();
    EXPECT_TRUE(named(r, QStringLiteral("Memo29")).isEmpty());
    EXPECT_TRUE(named(r, QStringLiteral("Memo30")).isEmpty());
    EXPECT_TRUE(named(r, QStringLiteral("Memo23")).isEmpty());
    // The next result qualifies for both blocks: the hidden bands show again.
    reporttest::fillTables(p.tables, kTwoSections, {{0, 1}, {1, 2}}, 2, 2, 2);
    r = p.report.Prepare();
    EXPECT_EQ(named(r, QStringLiteral("Memo23")).size(), 1);
    EXPECT_EQ(textsOf(r, QStringLiteral("Memo29")), QStringList{QStringLiteral("4. Протокол тестирования")});
    EXPECT_EQ(named(r, QStringLiteral("Memo30")).size(), 2);
}

TEST(ProtocolTemplate, IconFollowsTheScore) {
    const struct {
        const char *name;
        int max, rating;
        const char *icon;
    } cases[] = {
        {"full marks", 3, 3, "ranswimg"},   {"worth nothing, nothing scored", 0, 0, "ranswimg"},
        {"nothing scored", 5, 0, "wanswimg"}, {"part scored", 5, 3, "manswimg"},
        {"above the maximum", 5, 7, "manswimg"}, {"below zero", 5, -1, "manswimg"},
    };
    Protocol p;
    QList<Question> questions;
    for (int i = 0; i < int(std::size(cases)); ++i)
        questions.append({0, i + 1, cases[i].max, cases[i].rating});
    reporttest::fillTables(p.tables, kTwoSections, questions, 1, 1, int(questions.size()));
    const PreparedReport r = p.report.Prepare();
    const auto icons = named(r, QStringLiteral("Picture3"));
    ASSERT_EQ(icons.size(), qsizetype(std::size(cases)));
    for (int i = 0; i < int(std::size(cases)); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(icons[i]->pictureName, QString::fromLatin1(cases[i].icon));
        EXPECT_EQ(icons[i]->rect.size(), QSizeF(16, 16));
        EXPECT_FALSE(icons[i]->picture.isNull());
    }
    EXPECT_TRUE(named(r, QStringLiteral("ranswimg")).isEmpty()); // the hidden pictures never print
}

TEST(ProtocolTemplate, SectionTableListsGroupsInRowOrderWithTheLastRowsValues) {
    Protocol p;
    QList<Section> sections = {{1, QStringLiteral("Механика"), 2, 2, 4, 3}, {2, QStringLiteral("Оптика"), 1, 1, 2, 2},
                               {1, QStringLiteral("Механика-2"), 1, 0, 5, 0}};
    reporttest::fillTables(p.tables, sections, {{0, 1}, {0, 2}, {1, 3}, {2, 4}}, 3, 2, 4);
    const PreparedReport r = p.report.Prepare();
    EXPECT_EQ(textsOf(r, QStringLiteral("Memo24")),
              (QStringList{QStringLiteral("Секция №1. \"Механика\""), QStringLiteral("Секция №2. \"Оптика\""),
                           QStringLiteral("Секция №1. \"Механика-2\"")}));
    EXPECT_EQ(textsOf(r, QStringLiteral("Memo27")), (QStringList{"2 из 2", "1 из 1", "0 из 1"}));
    EXPECT_EQ(textsOf(r, QStringLiteral("Memo28")), (QStringList{"3 из 4", "2 из 2", "0 из 5"}));
    // A gap of one 1.89-unit strip per question of the section above its summary.
    const auto memo23 = named(r, QStringLiteral("Memo23"));
    const auto memo24 = named(r, QStringLiteral("Memo24"));
    EXPECT_NEAR(memo24[0]->rect.top() - (memo23[0]->rect.top() - 11.34 + 34.02), 2 * 1.89, 0.01);
}

TEST(ProtocolTemplate, SummaryFieldsAndTimes) {
    const struct {
        const char *name;
        double testTime;
        const char *shown;
    } cases[] = {{"no time limit", 0, "0:14:24"}, {"time limit", 0.5, "0:14:24 из 12:00:00"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Protocol p;
        reporttest::fillTables(p.tables, kTwoSections, {{0, 1}}, 1, 1, 1, c.testTime, 0.01);
        const PreparedReport r = p.report.Prepare();
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo17")), QStringList{QString::fromUtf8(c.shown)});
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo11")), QStringList{QStringLiteral("15.03.2023 12:00:00")});
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo12")), QStringList{QStringLiteral("Иванов Иван")});
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo15")), QStringList{QStringLiteral("1 из 1")});
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo16")), QStringList{QStringLiteral("7 из 10")});
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo18")), QStringList{QStringLiteral("хорошо")});
        EXPECT_EQ(textsOf(r, QStringLiteral("Memo2")), QStringList{QStringLiteral("Протокол тестирования")});
    }
}

TEST(ProtocolTemplate, QuestionBlockGeometryAndTexts) {
    Protocol p;
    reporttest::fillTables(p.tables, kTwoSections, {{0, 4}, {0, 5}}, 1, 1, 2);
    const PreparedReport r = p.report.Prepare();
    const auto numbers = named(r, QStringLiteral("Memo30"));
    ASSERT_EQ(numbers.size(), 2);
    EXPECT_EQ(numbers[0]->text(), QStringLiteral("      Вопрос№ 4"));
    EXPECT_EQ(numbers[0]->fill, QColor(0xF0, 0xF0, 0xF0));
    // Nothing grew: the block is 103.17 units high, so the next one starts that much lower.
    EXPECT_NEAR(numbers[1]->rect.top() - numbers[0]->rect.top(), 103.17, 0.01);
    const auto html = named(r, QStringLiteral("HTML1"));
    ASSERT_EQ(html.size(), 2);
    EXPECT_NEAR(html[0]->rect.height(), 37.80, 0.001); // content of 25 keeps the design height
    const auto answer = named(r, QStringLiteral("Memo32"));
    ASSERT_EQ(answer.size(), 2);
    EXPECT_EQ(answer[0]->text(), QStringLiteral("Дан ответ:") + QString(20, QLatin1Char(' ')) +
                                     QStringLiteral("ответ useranswer.xsl"));
    EXPECT_EQ(answer[0]->runs[0].color, QColor(0x80, 0, 0));
    EXPECT_EQ(textsOf(r, QStringLiteral("Memo33")).value(0),
              QStringLiteral("Правильный ответ:    ответ rightanswer.xsl"));
    // The whole page width at the left margin: 10 mm.
    EXPECT_NEAR(named(r, QStringLiteral("Memo2"))[0]->rect.left(), 37.795, 0.01);
    EXPECT_NEAR(named(r, QStringLiteral("Memo2"))[0]->rect.width(), 737.01, 0.01);
}

TEST(ProtocolTemplate, GrownContentMovesTheAnswersDown) {
    Protocol p;
    reporttest::fillTables(p.tables, kTwoSections, {{0, 1, 1, 1, "a\nb\nc\nd"}}, 1, 1, 1);
    const PreparedReport r = p.report.Prepare();
    const PreparedObject *html = named(r, QStringLiteral("HTML1")).value(0);
    ASSERT_TRUE(html);
    EXPECT_DOUBLE_EQ(html->rect.height(), 85); // 4 × 20 + 5
    const double growth = 85 - 37.80;
    const PreparedObject *memo32 = named(r, QStringLiteral("Memo32"))[0];
    EXPECT_NEAR(memo32->rect.top() - html->rect.top(), 65.37 - 26.46 + growth, 0.01);
}

TEST(ProtocolTemplate, ManyQuestionsFlowOverNumberedPagesAndATallOneIsSplit) {
    Protocol p;
    QList<Question> questions;
    for (int i = 1; i <= 30; ++i)
        questions.append({0, i});
    QByteArray tall;
    for (int i = 0; i < 120; ++i)
        tall += "line\n";
    questions[10].content = tall; // 121 lines: 2425 units, more than two pages
    reporttest::fillTables(p.tables, kTwoSections, questions, 1, 1, 30);
    const PreparedReport r = p.report.Prepare();
    ASSERT_TRUE(r.errors.isEmpty());
    EXPECT_EQ(textsOf(r, QStringLiteral("Memo30")).size(), 30);
    const QStringList pageNumbers = textsOf(r, QStringLiteral("Memo1"));
    ASSERT_EQ(pageNumbers.size(), r.pages.size());
    for (int i = 0; i < pageNumbers.size(); ++i)
        EXPECT_EQ(pageNumbers[i], QString::number(i + 1));
    double sliced = 0;
    int parts = 0;
    for (const PreparedObject *o : named(r, QStringLiteral("HTML1")))
        if (o->rect.height() > 100) {
            sliced += o->rect.height();
            ++parts;
        }
    EXPECT_GE(parts, 3);
    EXPECT_DOUBLE_EQ(sliced, 121 * 20 + 5);
    // Every object stays inside the page, above the page footer.
    const double footerTop = (297 - 5) * kUnitsPerMm - 20;
    for (const PreparedPage &page : r.pages)
        for (const PreparedObject &o : page.objects)
            if (o.band != QLatin1StringView("PageFooter1")) {
                EXPECT_LE(o.rect.bottom(), footerTop + 0.01) << o.name.toStdString();
            }
}

TEST(ProtocolTemplate, LongUserNotesAreCutAtTheBox) {
    Protocol p;
    reporttest::fillTables(p.tables, kTwoSections, {{0, 1}}, 1, 1, 1);
    ResultTables &t = p.tables;
    QVariantList row;
    for (int i = 0; i < t.ResultsCDS.fields().size(); ++i)
        row.append(t.ResultsCDS.value(0, i));
    row[2] = QString(2000, QLatin1Char('x'));
    t.ResultsCDS.CreateDataSet();
    t.ResultsCDS.append(row);
    const PreparedReport r = p.report.Prepare();
    const PreparedObject *notes = named(r, QStringLiteral("Memo13")).value(0);
    ASSERT_TRUE(notes);
    EXPECT_NEAR(notes->rect.height(), 30.99, 0.001);
    EXPECT_NEAR(named(r, QStringLiteral("Memo20"))[0]->rect.top() - notes->rect.top(), 148.40 - 102.05, 0.01);
}

// The whole prepared protocol of a small result as a structural dump, against a reviewed golden
// file. On a mismatch the actual dump is written beside it as protocol_dump.actual.txt.
TEST(ProtocolTemplate, PreparedPagesMatchTheGoldenDump) {
    Protocol p;
    QList<Section> sections = {{1, QStringLiteral("Механика"), 2, 2, 4, 3}, {2, QStringLiteral("Оптика"), 1, 1, 2, 0}};
    reporttest::fillTables(p.tables, sections,
                           {{0, 1, 2, 2, "строка 1\nстрока 2\nстрока 3"}, {0, 2, 2, 1}, {1, 3, 2, 0}}, 2, 2, 3, 0.5,
                           0.01);
    const PreparedReport r = p.report.Prepare();
    ASSERT_TRUE(r.errors.isEmpty());
    const QString golden = testsupport::testData(QStringLiteral("report/protocol_dump.txt"));
    const QString actual = r.dump();
    if (QString::fromUtf8(testsupport::readAll(golden)) != actual) {
        QFile out(testsupport::testData(QStringLiteral("report/protocol_dump.actual.txt")));
        if (out.open(QIODevice::WriteOnly))
            out.write(actual.toUtf8());
        ADD_FAILURE() << "prepared pages differ from " << golden.toStdString() << "; see protocol_dump.actual.txt";
    }
}
