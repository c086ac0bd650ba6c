#include "rezmira/loading/ResultTable.h"

#include "tests/support/TestSupport.h"

using namespace rezmira;

TEST(ResultTable, NumbersFromOneAfterEveryReCreation) {
    ResultTables tables;
    EXPECT_FALSE(tables.SResultsCDS.active());
    tables.ResetTables();
    EXPECT_EQ(tables.SResultsCDS.append({0, 7, QStringLiteral("a")}), 1);
    EXPECT_EQ(tables.SResultsCDS.append({0, 8, QStringLiteral("b")}), 2);
    tables.ResetTables();
    EXPECT_EQ(tables.SResultsCDS.rowCount(), 0);
    EXPECT_EQ(tables.SResultsCDS.append({0, 9}), 1);
    EXPECT_EQ(tables.SResultsCDS.value(0, u"snumber").toInt(), 9);
}

TEST(ResultTable, CutsWideStringsAndKeepsTypes) {
    ResultTables tables;
    tables.ResetTables();
    tables.ResultsCDS.append({QString(150, QLatin1Char('x')), QString(300, QLatin1Char('y')),
                              QString(300, QLatin1Char('z')), 1.5, QStringLiteral("12")});
    const ResultTable &t = tables.ResultsCDS;
    EXPECT_EQ(t.value(0, u"TESTNAME").toString().size(), 100);
    EXPECT_EQ(t.value(0, u"USERNAME").toString().size(), 255);
    EXPECT_EQ(t.value(0, u"USERNOTES").toString().size(), 300);
    EXPECT_EQ(t.value(0, u"QUESTCOUNT").typeId(), QMetaType::Int);
    EXPECT_EQ(t.value(0, u"QUESTCOUNT").toInt(), 12);
    EXPECT_FALSE(t.value(0, u"NOSUCHFIELD").isValid());
}

TEST(DateTime, EncodesOnlyRealDatesAndTimes) {
    struct Case {
        const char *name;
        int y, m, d;
        std::optional<double> expected;
    } cases[] = {
        {"epoch", 1899, 12, 30, 0.0},
        {"a known day", 2009, 3, 5, 39877.0},
        {"leap day", 2008, 2, 29, 39507.0},
        {"no leap day", 2009, 2, 29, std::nullopt},
        {"year zero", 0, 1, 1, std::nullopt},
        {"year 10000", 10000, 1, 1, std::nullopt},
        {"first day", 1, 1, 1, -693593.0},
        {"month 13", 2009, 13, 1, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(datetime::encodeDate(c.y, c.m, c.d), c.expected);
    }
    EXPECT_EQ(datetime::encodeTime(12, 0, 0), 0.5);
    EXPECT_FALSE(datetime::encodeTime(24, 0, 0));
    EXPECT_FALSE(datetime::encodeTime(0, 60, 0));
    EXPECT_FALSE(datetime::encodeTime(0, 0, -1));
    const auto parts = datetime::decode(39877.0 + *datetime::encodeTime(14, 7, 9));
    EXPECT_EQ(std::tuple(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second),
              std::tuple(2009, 3, 5, 14, 7, 9));
}
