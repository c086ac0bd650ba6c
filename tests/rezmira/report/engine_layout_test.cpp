// The engine's band rules on small templates: groups, stretch and moves, page breaks, page
// footers, split bands, handlers, collected errors.
#include "rezmira/Error.h"
#include "rezmira/report/engine/ReportEngine.h"
#include "rezmira/report/engine/Value.h"

#include "engine_StandIn.h"
#include "tests/support/TestSupport.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>

using namespace rezmira;
using namespace rezmira::report;

namespace {

// Rows of named values; Eof past the last row, Prior from there back to the last.
class RowSource : public DataSource {
public:
    QList<QHash<QString, QVariant>> rows;
    int row = 0;
    QString name() const override { return QStringLiteral("MainQuery"); }
    void First() override { row = 0; }
    void Next() override { row = std::min<int>(row + 1, int(rows.size())); }
    void Prior() override { row = std::max(row - 1, 0); }
    bool Eof() const override { return row >= rows.size(); }
    QVariant GetValue(const QString &n) const override { return Eof() ? QVariant() : rows[row].value(n); }
};

// A 200 × 200 unit page without margins: bands have 180 units above the 20-unit page footer.
QByteArray page(const QString &bands) {
    return QStringLiteral("<report name='T'><page paperWidth='52.916667' paperHeight='52.916667' marginLeft='0' "
                          "marginRight='0' marginTop='0' marginBottom='0'>%1"
                          "<band name='PF' kind='PageFooter' top='999' height='20'>"
                          "<memo name='PageNo' left='130' top='0' width='70' height='20' align='right'>[Page#]</memo>"
                          "</band></page></report>")
        .arg(bands)
        .toUtf8();
}

QList<const PreparedObject *> named(const PreparedReport &r, const QString &name, QList<int> *pages = nullptr) {
    QList<const PreparedObject *> out;
    for (int p = 0; p < r.pages.size(); ++p)
        for (const PreparedObject &o : r.pages[p].objects)
            if (o.name == name) {
                out.append(&o);
                if (pages)
                    pages->append(p);
            }
    return out;
}

QStringList texts(const PreparedReport &r) {
    QStringList out;
    for (const PreparedPage &p : r.pages)
        for (const PreparedObject &o : p.objects)
            if (o.kind == ReportObject::Kind::Memo && o.band != QLatin1StringView("PF"))
                out.append(o.text());
    return out;
}

} // namespace

TEST(ReportEngine, GroupFootersShowTheLastRowOfTheirGroupAndASectionMayReappear) {
    RowSource source;
    for (auto [sec, q] : {std::pair{1, "a"}, {1, "b"}, {2, "c"}, {1, "d"}})
        source.rows.append({{QStringLiteral("sec"), sec}, {QStringLiteral("q"), QString::fromLatin1(q)}});
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='H' kind='Header' top='1' height='10'><memo name='M1' width='50' height='10'>head</memo></band>"
        "<band name='G' kind='GroupHeader' top='2' height='10' condition='MainQuery.\"sec\"'>"
        "<memo name='M2' width='50' height='10'>group [MainQuery.\"sec\"]</memo></band>"
        "<band name='D' kind='MasterData' top='3' height='10' dataSet='MainQuery'>"
        "<memo name='M3' width='50' height='10'>[MainQuery.\"q\"]</memo></band>"
        "<band name='F' kind='GroupFooter' top='4' height='10'>"
        "<memo name='M4' width='50' height='10'>end [MainQuery.\"sec\"] [MainQuery.\"q\"]</memo></band>"))));
    engine.addDataSource(&source);
    const PreparedReport r = engine.prepare();
    ASSERT_TRUE(r.errors.isEmpty()) << r.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(texts(r), (QStringList{"head", "group 1", "a", "b", "end 1 b", "group 2", "c", "end 2 c", "group 1",
                                     "d", "end 1 d"}));
}

TEST(ReportEngine, HeadersPrintOnlyWhenTheDataBandHasRowsAndRowCountBandsRepeat) {
    RowSource empty;
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='H' kind='Header' top='1' height='10'><memo name='M1' width='50' height='10'>head</memo></band>"
        "<band name='D' kind='MasterData' top='2' height='10' dataSet='MainQuery'/>"
        "<band name='D2' kind='MasterData' top='3' height='10' rowCount='3'>"
        "<memo name='M2' width='50' height='10'>row</memo></band>"))));
    engine.addDataSource(&empty);
    EXPECT_EQ(texts(engine.prepare()), (QStringList{"row", "row", "row"}));
}

TEST(ReportEngine, StretchedBandGrowsMovesObjectsBelowAndTakesItsLowestBottom) {
    RowSource source;
    source.rows.append({{QStringLiteral("c"), QStringLiteral("1\n2\n3")},
                        {QStringLiteral("t"), QStringLiteral("one\ntwo\nthree")}});
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='D' kind='MasterData' top='1' height='150' dataSet='MainQuery' stretched='true'>"
        "<stretchObject name='S' kind='Lines' left='0' top='10' width='100' height='30' stretch='actualHeight' "
        "dataSet='MainQuery' dataField='c'/>"
        "<memo name='Below' left='50' top='45' width='100' height='10'>below</memo>"
        "<memo name='Beside' left='120' top='45' width='50' height='10'>beside</memo>"
        "<memo name='Memo' left='0' top='60' width='100' height='15' stretch='actualHeight'>[MainQuery.\"t\"]</memo>"
        "<memo name='Last' left='0' top='80' width='100' height='10'>last</memo>"
        "</band>"
        "<band name='After' kind='MasterData' top='2' height='10' rowCount='1'>"
        "<memo name='Next' width='50' height='10'>next</memo></band>"))));
    engine.addDataSource(&source);
    engine.setStretchObjectFactory(reporttest::linesFactory());
    const PreparedReport r = engine.prepare();
    ASSERT_TRUE(r.errors.isEmpty()) << r.errors.join(QLatin1Char('\n')).toStdString();
    const PreparedObject *s = named(r, QStringLiteral("S")).value(0);
    ASSERT_TRUE(s);
    EXPECT_DOUBLE_EQ(s->rect.height(), 65); // 3 lines of 20 + 5
    EXPECT_DOUBLE_EQ(named(r, QStringLiteral("Below"))[0]->rect.top(), 80);  // moved by the growth of 35
    EXPECT_DOUBLE_EQ(named(r, QStringLiteral("Beside"))[0]->rect.top(), 45); // no horizontal overlap
    const PreparedObject *memo = named(r, QStringLiteral("Memo"))[0];
    EXPECT_DOUBLE_EQ(memo->rect.top(), 95);
    EXPECT_GT(memo->rect.height(), 40); // three lines of text
    const PreparedObject *last = named(r, QStringLiteral("Last"))[0];
    // Moved by both the object above and the memo's own growth.
    EXPECT_DOUBLE_EQ(last->rect.top(), 80 + 35 + (memo->rect.height() - 15));
    // The band ends at its lowest object's bottom, above its design height of 150.
    EXPECT_DOUBLE_EQ(named(r, QStringLiteral("Next"))[0]->rect.top(), last->rect.bottom());
}

TEST(ReportEngine, ShrunkenBandEndsAtItsLowestObject) {
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='D' kind='MasterData' top='1' height='150' rowCount='1' stretched='true'>"
        "<memo name='A' left='0' top='5' width='100' height='20'>a</memo></band>"
        "<band name='After' kind='MasterData' top='2' height='10' rowCount='1'>"
        "<memo name='Next' width='50' height='10'>next</memo></band>"))));
    const PreparedReport r = engine.prepare();
    EXPECT_DOUBLE_EQ(named(r, QStringLiteral("Next"))[0]->rect.top(), 25);
}

TEST(ReportEngine, BandsThatDoNotFitStartANewPageAndEveryPageHasItsFooter) {
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='T' kind='ReportTitle' top='0' height='20'><memo name='Title' width='200' height='20'>title</memo></band>"
        "<band name='D' kind='MasterData' top='1' height='50' rowCount='7'>"
        "<memo name='Row' width='50' height='50'>row</memo></band>"))));
    const PreparedReport r = engine.prepare();
    ASSERT_EQ(r.pages.size(), 3);
    QList<int> pages;
    const auto rows = named(r, QStringLiteral("Row"), &pages);
    ASSERT_EQ(rows.size(), 7);
    EXPECT_EQ(pages, (QList<int>{0, 0, 0, 1, 1, 1, 2}));
    EXPECT_DOUBLE_EQ(rows[2]->rect.top(), 120);
    EXPECT_DOUBLE_EQ(rows[3]->rect.top(), 0);
    EXPECT_EQ(named(r, QStringLiteral("Title")).size(), 1);
    const auto footers = named(r, QStringLiteral("PageNo"));
    ASSERT_EQ(footers.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(footers[i]->text(), QString::number(i + 1));
        EXPECT_NEAR(footers[i]->rect.top(), 180, 0.01);
        EXPECT_NEAR(footers[i]->rect.left(), 130, 0.01); // kept at the band's right edge
    }
}

TEST(ReportEngine, BandTallerThanAPageIsSplitIntoSlicesThatAddUp) {
    RowSource source;
    QStringList lines;
    for (int i = 0; i < 20; ++i)
        lines.append(QString::number(i));
    source.rows.append({{QStringLiteral("c"), lines.join(QLatin1Char('\n'))}});
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='T' kind='ReportTitle' top='0' height='30'><memo name='Title' width='200' height='30'>t</memo></band>"
        "<band name='D' kind='MasterData' top='1' height='60' dataSet='MainQuery' stretched='true'>"
        "<memo name='Number' left='0' top='0' width='200' height='10'>number</memo>"
        "<stretchObject name='S' kind='Lines' left='0' top='10' width='200' height='30' stretch='actualHeight' "
        "dataSet='MainQuery' dataField='c'/>"
        "<memo name='Answer' left='0' top='45' width='200' height='10'>answer</memo>"
        "</band>"))));
    engine.addDataSource(&source);
    engine.setStretchObjectFactory(reporttest::linesFactory());
    const PreparedReport r = engine.prepare();
    ASSERT_TRUE(r.errors.isEmpty()) << r.errors.join(QLatin1Char('\n')).toStdString();
    QList<int> pages;
    const auto slices = named(r, QStringLiteral("S"), &pages);
    ASSERT_GE(slices.size(), 3);
    double total = 0;
    int expectedOffset = 0;
    for (qsizetype i = 0; i < slices.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pages[i], int(i)); // one slice per page
        EXPECT_EQ(reporttest::LinesObject::offsetOf(slices[i]->state), expectedOffset);
        if (i + 1 < slices.size()) {
            EXPECT_DOUBLE_EQ(std::fmod(slices[i]->rect.height(), 20), 0.0); // whole lines only
        }
        expectedOffset += int(slices[i]->rect.height());
        total += slices[i]->rect.height();
        EXPECT_LE(slices[i]->rect.bottom(), 180.01);
    }
    EXPECT_DOUBLE_EQ(total, 405); // 20 lines of 20 + 5
    EXPECT_DOUBLE_EQ(slices[0]->rect.top(), 40); // after the title and the number line
    // The memo below the content follows the last slice on the last page.
    QList<int> answerPages;
    const auto answer = named(r, QStringLiteral("Answer"), &answerPages);
    ASSERT_EQ(answer.size(), 1);
    EXPECT_EQ(answerPages[0], pages.last());
    EXPECT_DOUBLE_EQ(answer[0]->rect.top(), slices.last()->rect.bottom() + 5);
    EXPECT_EQ(named(r, QStringLiteral("PageNo")).size(), r.pages.size());
}

TEST(ReportEngine, ContentThatNeverFitsAPageDoesNotHang) {
    RowSource source;
    source.rows.append({{QStringLiteral("c"), QStringLiteral("x")}});
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='D' kind='MasterData' top='1' height='400' dataSet='MainQuery' stretched='true'>"
        "<stretchObject name='S' kind='Lines' left='0' top='0' width='200' height='400' stretch='actualHeight' "
        "dataSet='MainQuery' dataField='c'/></band>"))));
    engine.addDataSource(&source);
    // A stand-in whose part never takes a line: the engine must still come to an end.
    struct Stuck : reporttest::LinesObject {
        double PaintNextPart(double, double height) override { return height; }
    };
    engine.setStretchObjectFactory([](const StretchObjectSpec &) { return std::make_unique<Stuck>(); });
    const PreparedReport r = engine.prepare();
    EXPECT_TRUE(r.errors.isEmpty());
    EXPECT_LE(r.pages.size(), 3);
}

TEST(ReportEngine, HandlersChangeOnlyOnePreparationAndErrorsStopIt) {
    int preparations = 0;
    bool fail = false;
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='A' kind='MasterData' top='1' height='10' rowCount='1' onBeforePrint='Hide'>"
        "<memo name='MA' width='50' height='10'>a</memo></band>"
        "<band name='B' kind='MasterData' top='2' height='10' rowCount='1'>"
        "<memo name='MB' width='50' height='10' onAfterData='Rename'>[Boom()]</memo></band>"))));
    engine.addHandler(QStringLiteral("Hide"), [&](ScriptContext &c) {
        if (++preparations == 1)
            c.setBandVisible(QStringLiteral("A"), false);
    });
    engine.addHandler(QStringLiteral("Rename"), [](ScriptContext &c) { c.setMemoText(c.sender(), QStringLiteral("b")); });
    engine.addFunction(QStringLiteral("Boom"), [&](const QVariantList &) -> QVariant {
        if (fail)
            throw Error(QStringLiteral("Не найдена таблица стилей"));
        return QString();
    });
    EXPECT_EQ(texts(engine.prepare()), QStringList{"b"});
    EXPECT_EQ(texts(engine.prepare()), (QStringList{"a", "b"})); // the hidden band is back
    fail = true;
    const PreparedReport r = engine.prepare();
    EXPECT_EQ(r.errors, QStringList{QStringLiteral("Не найдена таблица стилей")});
    EXPECT_EQ(preparationErrorText(r.errors),
              QStringLiteral("Были обнаружены следующие ошибки:\nНе найдена таблица стилей"));
}

TEST(ReportEngine, UnknownHandlerOrObjectKindIsReported) {
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='A' kind='MasterData' top='1' height='10' rowCount='1' onBeforePrint='Missing'/>"))));
    EXPECT_EQ(engine.prepare().errors, QStringList{QStringLiteral("Не найден обработчик Missing")});
    ReportEngine noFactory(loadTemplate(page(QStringLiteral(
        "<band name='A' kind='MasterData' top='1' height='10' rowCount='1'>"
        "<stretchObject name='S' kind='HTML' width='10' height='10'/></band>"))));
    EXPECT_EQ(noFactory.prepare().errors, QStringList{QStringLiteral("S: неизвестный вид объекта HTML")});
}

TEST(ReportTemplate, RejectsBrokenTemplates) {
    EXPECT_THROW_MSG(loadTemplate("<nope/>"), Error, "Шаблон отчёта повреждён: нет элемента report");
    EXPECT_THROW_MSG(loadTemplate(page(QStringLiteral("<band name='X' kind='Side' top='1' height='1'/>"))), Error,
                     "Шаблон отчёта повреждён: вид бэнда \"Side\"");
    EXPECT_THROW_MSG(loadTemplate("<report><page><band name='X' kind='Header' top='1' height='1'>"), Error,
                     "Шаблон отчёта повреждён: Premature end of document.");
}

TEST(PreparedReport, DrawsMemosWithFillAndColouredRuns) {
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='A' kind='MasterData' top='1' height='40' rowCount='1'>"
        "<memo name='M' width='200' height='40' fill='#808080' allowHtmlTags='true' fontSize='30'>"
        "&lt;font color=maroon&gt;ЖЖЖ&lt;/font&gt;</memo></band>"))));
    const PreparedReport r = engine.prepare();
    ASSERT_EQ(r.pages.size(), 1);
    EXPECT_EQ(r.pages[0].objects[0].runs.size(), 1);
    EXPECT_EQ(r.pages[0].objects[0].runs[0].color, QColor(0x80, 0, 0));
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    r.drawPage(0, painter, {});
    painter.end();
    EXPECT_EQ(image.pixelColor(199, 39), QColor(0x80, 0x80, 0x80));
    bool maroon = false;
    for (int y = 0; y < 40 && !maroon; ++y)
        for (int x = 0; x < 80 && !maroon; ++x)
            maroon = image.pixelColor(x, y) == QColor(0x80, 0, 0);
    EXPECT_TRUE(maroon);
}

TEST(ReportEngine, LongMemoTextWrapsAndGrowsWhileShortTextKeepsTheDesignHeight) {
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='D' kind='MasterData' top='1' height='60' rowCount='1' stretched='true'>"
        "<memo name='Long' left='0' top='0' width='100' height='19' stretch='actualHeight' fontSize='11' "
        "allowHtmlTags='true'>&lt;font color=maroon&gt;Ответ:&lt;/font&gt; %1</memo>"
        "<memo name='Short' left='110' top='0' width='80' height='19' stretch='actualHeight' fontSize='11'>Да</memo>"
        "</band>")
                                                 .arg(QString(QStringLiteral("слово ")).repeated(20)))));
    const PreparedReport r = engine.prepare();
    ASSERT_EQ(r.pages.size(), 1);
    const PreparedObject &longMemo = r.pages[0].objects[0];
    const PreparedObject &shortMemo = r.pages[0].objects[1];
    EXPECT_GT(longMemo.rect.height(), 4 * 14.0);
    EXPECT_DOUBLE_EQ(shortMemo.rect.height(), 19);
}

// Line breaks follow the metrics of the fonts the template names: they must resolve to the
// metric-compatible Liberation families, not to whatever sans font the system offers.
TEST(ReportFonts, TemplateFontsResolveToMetricCompatibleFamilies) {
    const struct {
        const char *family, *resolved;
    } cases[] = {{"Arial", "Liberation Sans"}, {"Times New Roman", "Liberation Serif"}, {"Courier New", "Liberation Mono"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.family);
        FontSpec spec;
        spec.family = QString::fromLatin1(c.family);
        spec.pixelSize = 11;
        EXPECT_EQ(QFontInfo(makeFont(spec)).family().toStdString(), std::string(c.resolved));
    }
}

TEST(ReportEngine, MemoTallerThanAPageGoesOnInWholeLines) {
    QStringList lines;
    for (int i = 1; i <= 40; ++i)
        lines.append(QStringLiteral("строка %1").arg(i));
    ReportEngine engine(loadTemplate(page(QStringLiteral(
        "<band name='D' kind='MasterData' top='1' height='20' rowCount='1' stretched='true'>"
        "<memo name='M' left='0' top='0' width='200' height='15' stretch='actualHeight' fontSize='11'>%1</memo>"
        "<memo name='After' left='0' top='20' width='200' height='10'>после</memo></band>")
                                                 .arg(lines.join(QStringLiteral("&#10;"))))));
    const PreparedReport r = engine.prepare();
    QList<int> pages;
    const auto parts = named(r, QStringLiteral("M"), &pages);
    ASSERT_GE(parts.size(), 3);
    // Each part shows the lines after the previous part's; together they show every line once.
    double offset = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(pages[i], int(i));
        EXPECT_DOUBLE_EQ(parts[i]->textOffset, offset);
        EXPECT_LE(parts[i]->rect.bottom(), 180.01);
        offset += parts[i]->rect.height() - 2;
    }
    EXPECT_NEAR(offset + 2, memoTextHeight(parts[0]->runs, parts[0]->font, true, 200), 0.01);
    QList<int> afterPages;
    ASSERT_EQ(named(r, QStringLiteral("After"), &afterPages).size(), 1);
    EXPECT_EQ(afterPages[0], pages.last());
}
