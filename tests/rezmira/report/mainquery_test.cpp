// MainQuery: aliases, typed values, section sync and the row cursor over the result tables.
#include "rezmira/report/MainQuery.h"
#include "rezmira/report/engine/Value.h"

#include "engine_StandIn.h"

#include <gtest/gtest.h>

using namespace rezmira;
using namespace rezmira::report;
using reporttest::Question;
using reporttest::Section;

namespace {
QString str(const QVariant &v) { return displayText(v); }
}

TEST(MainQuery, OffersTheTwentyEightAliasesInOrder) {
    ResultTables tables;
    MainQuery query(tables);
    ASSERT_EQ(query.FFieldAliases().size(), 28);
    EXPECT_EQ(query.FFieldAliases().first(), QStringLiteral("ДатаТестирования=BEGDATE"));
    EXPECT_EQ(query.FFieldAliases().at(12), QStringLiteral("РезультатВ%=RPERCENT"));
    EXPECT_EQ(query.FFieldAliases().last(), QStringLiteral("СодержаниеВопроса=QCONTENT"));
    EXPECT_EQ(query.fieldNames().at(14), QStringLiteral("НомерСекции"));
    EXPECT_FALSE(query.fieldNames().contains(QStringLiteral("SRESULT_ID")));
}

TEST(MainQuery, ResultWithoutQuestionsIsAtItsEndAndStillAnswersTheSummary) {
    ResultTables tables;
    reporttest::fillTables(tables, {{1, QStringLiteral("S")}}, {}, 1, 0, 0);
    MainQuery query(tables);
    query.First();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(str(query.GetValue(QStringLiteral("Пользователь"))), QStringLiteral("Иванов Иван"));
    EXPECT_FALSE(query.GetValue(QStringLiteral("НомерВопроса")).isValid());
}

TEST(MainQuery, KeepsTheSectionRowInStepWithTheQuestion) {
    ResultTables tables;
    reporttest::fillTables(tables, {{7, QStringLiteral("Первая")}, {9, QStringLiteral("Вторая")}},
                           {{0, 1}, {0, 2}, {1, 3}}, 2, 2, 3);
    MainQuery query(tables);
    query.First();
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерСекции")).toInt(), 7);
    query.Next();
    query.Next();
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерВопроса")).toInt(), 3);
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерСекции")).toInt(), 9);
    EXPECT_EQ(str(query.GetValue(QStringLiteral("НазваниеСекции"))), QStringLiteral("Вторая"));
    query.Next();
    EXPECT_TRUE(query.Eof());
    // Stepping back from past the end returns to the last row (a group footer reads it).
    query.Prior();
    EXPECT_FALSE(query.Eof());
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерВопроса")).toInt(), 3);
    query.Prior();
    query.Prior();
    query.Prior();
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерВопроса")).toInt(), 1);
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерСекции")).toInt(), 7);
}

TEST(MainQuery, LooksAliasesUpIgnoringCaseAndGivesNullForTableNames) {
    ResultTables tables;
    reporttest::fillTables(tables, {{1, QStringLiteral("S")}}, {{0, 1}}, 1, 1, 1);
    MainQuery query(tables);
    query.First();
    EXPECT_EQ(str(query.GetValue(QStringLiteral("пользователь"))), QStringLiteral("Иванов Иван"));
    EXPECT_EQ(str(query.GetValue(QStringLiteral("ПОЛЬЗОВАТЕЛЬ"))), QStringLiteral("Иванов Иван"));
    EXPECT_FALSE(query.GetValue(QStringLiteral("USERNAME")).isValid());
    EXPECT_FALSE(query.GetValue(QStringLiteral("SRESULTID")).isValid());
    EXPECT_FALSE(query.GetValue(QString()).isValid());
}

TEST(MainQuery, ValuesKeepTheirTypes) {
    ResultTables tables;
    const QByteArray content = QByteArray("\xEF\xBB\xBF<q>текст</q>");
    reporttest::fillTables(tables, {{1, QStringLiteral("S")}}, {{0, 4, 2, 1, content}}, 1, 1, 1, 0.5, 0.25);
    MainQuery query(tables);
    query.First();
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерВопроса")).typeId(), QMetaType::Int);
    EXPECT_EQ(query.GetValue(QStringLiteral("Тест")).typeId(), QMetaType::QString);
    const QVariant c = query.GetValue(QStringLiteral("СодержаниеВопроса"));
    ASSERT_EQ(c.typeId(), QMetaType::QByteArray);
    EXPECT_EQ(c.toByteArray(), content);
    EXPECT_TRUE(c.toByteArray().startsWith("\xEF\xBB\xBF"));
    for (const char *alias : {"ДатаТестирования", "ВремениВсего", "ВремениЗатрачено"})
        EXPECT_TRUE(isDateTime(query.GetValue(QString::fromUtf8(alias)))) << alias;
    EXPECT_EQ(str(query.GetValue(QStringLiteral("ДатаТестирования"))), QStringLiteral("15.03.2023 12:00:00"));
    EXPECT_EQ(timeToStr(toNumber(query.GetValue(QStringLiteral("ВремениЗатрачено")))), QStringLiteral("6:00:00"));
}

TEST(MainQuery, QuestionLinkedToNoSectionLeavesTheSectionRow) {
    ResultTables tables;
    reporttest::fillTables(tables, {{1, QStringLiteral("A")}, {2, QStringLiteral("B")}}, {{1, 1}, {0, 2}}, 2, 2, 2);
    tables.QResultsCDS.append({0, 99, 3, 1, 1, 0, QString(), QByteArray()});
    MainQuery query(tables);
    query.First();
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерСекции")).toInt(), 2);
    query.Next();
    query.Next();
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерВопроса")).toInt(), 3);
    EXPECT_EQ(query.GetValue(QStringLiteral("НомерСекции")).toInt(), 1);
}
