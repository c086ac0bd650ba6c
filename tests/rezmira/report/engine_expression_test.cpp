// The bracket expressions of memo texts: fields, functions, literals, operators, errors.
#include "rezmira/Error.h"
#include "rezmira/report/engine/Expression.h"
#include "rezmira/report/engine/Value.h"

#include "tests/support/TestSupport.h"

#include <QHash>

using namespace rezmira;
using namespace rezmira::report;

namespace {

class MapSource : public DataSource {
public:
    QHash<QString, QVariant> values;
    QString name() const override { return QStringLiteral("MainQuery"); }
    void First() override {}
    void Next() override {}
    void Prior() override {}
    bool Eof() const override { return true; }
    QVariant GetValue(const QString &n) const override { return values.value(n.toLower()); }
};

struct ExpressionFixture : ::testing::Test {
    MapSource source;
    EvalContext ctx;
    QStringList calls;
    ExpressionFixture() {
        source.values = {{QStringLiteral("всего"), makeDateTime(1.0 / 24)},
                         {QStringLiteral("ноль"), makeDateTime(0)},
                         {QStringLiteral("затрачено"), makeDateTime(3723.0 / 86400)},
                         {QStringLiteral("n"), 5},
                         {QStringLiteral("s"), QStringLiteral("текст")},
                         {QStringLiteral("bytes"), QByteArray("<q/>")},
                         {QStringLiteral("hostile"), QStringLiteral("[XMLValue('a','b')] [Page#] <font color=red>")}};
        ctx.dataSources = {&source};
        ctx.page = 3;
        ctx.functions.insert(QStringLiteral("XMLVALUE"), [this](const QVariantList &args) {
            calls.append(displayText(args.value(1)));
            return QVariant(QStringLiteral("ответ(%1,%2)").arg(displayText(args.value(0)), displayText(args.value(1))));
        });
    }
    QString expand(const QString &t) { return expandMemoText(t, ctx); }
};

} // namespace

TEST_F(ExpressionFixture, ExpandsMemoTexts) {
    const struct {
        const char *name, *text, *expected;
    } cases[] = {
        {"plain text untouched", "Протокол", "Протокол"},
        {"bare field", "[MainQuery.\"N\"]", "5"},
        {"field in angle brackets", "[<MainQuery.\"s\">]", "текст"},
        {"text around fields", "[MainQuery.\"n\"] из [MainQuery.\"n\"]", "5 из 5"},
        {"quoted name around field", "Секция №[MainQuery.\"n\"]. \"[MainQuery.\"s\"]\"", "Секция №5. \"текст\""},
        {"unknown alias is empty", "<[MainQuery.\"нет\"]>", "<>"},
        {"page number", "[Page#]", "3"},
        {"string join", "['a'+' из '+'b']", "a из b"},
        {"doubled quote", "['it''s']", "it's"},
        {"number plus number", "[1+2]", "3"},
        {"text plus number", "['n='+<MainQuery.\"n\">]", "n=5"},
        {"iif with time limit",
         "[IIF(<MainQuery.\"всего\">>0,TimeToStr(<MainQuery.\"затрачено\">)+' из '+TimeToStr(<MainQuery.\"всего\">),"
         "TimeToStr(<MainQuery.\"затрачено\">))]",
         "1:02:03 из 1:00:00"},
        {"iif without time limit",
         "[IIF(<MainQuery.\"ноль\">>0,TimeToStr(<MainQuery.\"затрачено\">)+' из '+TimeToStr(<MainQuery.\"ноль\">),"
         "TimeToStr(<MainQuery.\"затрачено\">))]",
         "1:02:03"},
        {"equal", "[IIF(<MainQuery.\"n\">=5,'y','n')]", "y"},
        {"less or equal", "[IIF(<MainQuery.\"n\"><=4,'y','n')]", "n"},
        {"less than", "[IIF(2<3,'y','n')]", "y"},
        {"text comparison", "[IIF('a'='a','y','n')]", "y"},
        {"user function with bytes", "[XMLValue(<MainQuery.\"bytes\">,'useranswer.xsl')]", "ответ(<q/>,useranswer.xsl)"},
        {"unclosed bracket kept", "a [b", "a [b"},
        {"data is shown, never evaluated", "[MainQuery.\"hostile\"]", "[XMLValue('a','b')] [Page#] <font color=red>"},
        {"bracket inside a string", "[']'+'x']", "]x"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(expand(QString::fromUtf8(c.text)).toStdString(), std::string(c.expected));
    }
}

TEST_F(ExpressionFixture, IifEvaluatesOnlyTheBranchItTakes) {
    expand(QStringLiteral("[IIF(1=1,XMLValue('a','yes.xsl'),XMLValue('a','no.xsl'))]"));
    EXPECT_EQ(calls, QStringList{QStringLiteral("yes.xsl")});
}

TEST_F(ExpressionFixture, ReportsBadExpressions) {
    EXPECT_THROW_MSG(expand(QStringLiteral("[Nope(1)]")), Error, "Неизвестная функция: Nope");
    EXPECT_THROW_MSG(expand(QStringLiteral("[1 +]")), Error, "Ошибка в выражении: 1 +");
    EXPECT_THROW_MSG(expand(QStringLiteral("[IIF(1,2)]")), Error, "Ошибка в выражении: IIF(1,2)");
    EXPECT_THROW_MSG(expand(QStringLiteral("[Other.\"x\"]")), Error, "Неизвестный источник данных: Other");
    EXPECT_THROW_MSG(expand(QStringLiteral("[(1]")), Error, "Ошибка в выражении: (1");
}

TEST(ReportValue, ShowsDateTimesInRussianFormats) {
    EXPECT_EQ(displayText(makeDateTime(45000)), QStringLiteral("15.03.2023"));
    EXPECT_EQ(displayText(makeDateTime(45000 + 0.75)), QStringLiteral("15.03.2023 18:00:00"));
    EXPECT_EQ(displayText(makeDateTime(45000 + 9.0 / 86400)), QStringLiteral("15.03.2023 0:00:09"));
    EXPECT_EQ(timeToStr(2 + 0.5), QStringLiteral("12:00:00"));
    EXPECT_EQ(displayText(QVariant()), QString());
    EXPECT_EQ(displayText(QByteArray("\xD0\xB0")), QStringLiteral("а"));
}
