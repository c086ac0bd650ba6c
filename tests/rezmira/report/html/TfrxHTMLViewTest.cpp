// The HTML content view: content through the style sheet, pictures from the package, height,
// slices cut at whole lines, drawing, and the stored HtmlCont form.
#include "rezmira/report/html/TfrxHTMLView.h"

#include "TestPackage.h"
#include "rezmira/Error.h"
#include "rezmira/report/html/ResourceLoaders.h"
#include "rezmira/report/html/TIMGResolver.h"
#include "rezmira/report/html/XslSupport.h"

#include "tests/support/TestSupport.h"

#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace rezmira;

namespace {

QImage render(TfrxHTMLView &view, double width, double height, double scale = 1.0) {
    QImage image(int(width * scale), int(height * scale), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    painter.scale(scale, scale);
    view.Paint(painter, QRectF(0, 0, width, height));
    return image;
}

int countColour(const QImage &image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                ++n;
    return n;
}

// Every test starts with the sample style sheets and a package whose picture names are hard.
class HtmlView : public ::testing::Test {
protected:
    void SetUp() override {
        HTMLViewStylesPath() = QStringLiteral(XSL_STYLES_DIR);
        ImageResolver().OnResourceImage = [this](const QString &name, QByteArray &target) {
            LoadPackageResource(m_package, name, target);
        };
        ImageResolver().OnFileImage = [](const QString &name, QByteArray &target) {
            LoadStyleResource(HTMLViewStylesPath(), name, target);
        };
    }
    void TearDown() override {
        ImageResolver().OnResourceImage = nullptr;
        ImageResolver().OnFileImage = nullptr;
        HTMLViewStylesPath().clear();
    }
    QByteArray m_package;
};

QByteArray question(const QString &text, int options = 2) {
    QString xml = "<question type=\"single\"><text>" + text + "</text>";
    for (int i = 1; i <= options; ++i)
        xml += QStringLiteral("<option id=\"%1\">Вариант %1</option>").arg(i);
    return htmltest::questionContent(xml + "</question><user-answer/><right-answer/>");
}

} // namespace

TEST_F(HtmlView, PicturesWithHardNamesShowFromThePackage) {
    const struct {
        const char *name;
        QColor colour;
    } pictures[] = {
        {"a b.png", QColor(255, 0, 0)},         {"Кот.png", QColor(0, 200, 0)},
        {"[1].png", QColor(0, 0, 255)},         {"x#y.png", QColor(255, 200, 0)},
        {"c+d.png", QColor(0, 200, 200)},       {"a%20b.png", QColor(200, 0, 200)},
        {"sub dir/p q.png", QColor(120, 60, 0)}, {"amp&er.png", QColor(60, 120, 0)},
    };
    std::vector<htmltest::ZipEntry> entries;
    QString text = QStringLiteral("Рисунки:");
    for (const auto &p : pictures) {
        entries.push_back({QString::fromUtf8(p.name).toUtf8(), htmltest::solidPng(p.colour), true});
        QString src = QString::fromUtf8(p.name).toHtmlEscaped();
        text += " <img src=\"" + src + "\"/>";
    }
    m_package = htmltest::buildZip(entries);

    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    view.FetchData(question(text));
    EXPECT_TRUE(view.FContent().contains("htmlres://%5Ca%20b.png")) << view.FContent().constData();
    const double height = view.CalcHeight(699.21);
    const QImage image = render(view, 699.21, height);
    for (const auto &p : pictures)
        EXPECT_GT(countColour(image, p.colour), 24 * 24 / 2) << p.name;
}

TEST_F(HtmlView, AMissingPictureShowsNothingNeverThePreviousOne) {
    m_package = htmltest::buildZip(
        {{"red.png", htmltest::solidPng(Qt::red), false},
         {"red.svg",
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"30\" height=\"30\">"
          "<rect width=\"30\" height=\"30\" fill=\"#00ff00\"/></svg>",
          false}});
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    view.FetchData(question("<img src=\"red.png\"/>"));
    EXPECT_GT(countColour(render(view, 300, view.CalcHeight(300)), Qt::red), 200);

    view.FetchData(question("<img src=\"gone.png\"/> <img src=\"red.svg\"/> "
                            "<img src=\"HTMLRES://\\red.png\"/>"));
    const QImage image = render(view, 300, view.CalcHeight(300));
    EXPECT_EQ(countColour(image, Qt::red), 0);
    EXPECT_EQ(countColour(image, QColor(0, 255, 0)), 0);
}

TEST_F(HtmlView, PicturesNamedByTheStyleSheetComeFromTheStylesFolder) {
    QTemporaryDir dir;
    HTMLViewStylesPath() = dir.path();
    htmltest::writeFile(dir.filePath("my styles/logo one.png"), htmltest::solidPng(Qt::green));
    htmltest::writeFile(dir.filePath("my styles/q.xsl"),
                        "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/"
                        "Transform\"><xsl:output method=\"html\"/><xsl:template match=\"/\">"
                        "<p><img src=\"my styles/logo one.png\"/><xsl:value-of select=\"//text\"/>"
                        "</p></xsl:template></xsl:stylesheet>");
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("my styles\\q.xsl");
    view.FetchData(question("Текст"));
    EXPECT_GT(countColour(render(view, 300, view.CalcHeight(300)), Qt::green), 24 * 24 / 2);
}

TEST_F(HtmlView, WithoutStyleSheetTheBytesAreShownUnchanged) {
    const QByteArray html = "<p>Plain <img src=\"a b.png\"> text</p>";
    TfrxHTMLView view;
    view.FetchData(html);
    EXPECT_EQ(view.FContent(), html);
    const QByteArray cp1251 = "<meta charset=\"windows-1251\"><p>\xCF\xF0\xE8\xE2\xE5\xF2</p>";
    view.FetchData(cp1251);
    EXPECT_EQ(view.FContent(), cp1251);
    EXPECT_GT(view.CalcHeight(200), 20);
}

TEST_F(HtmlView, StyleSheetErrors) {
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("no-such.xsl");
    EXPECT_THROW_MSG(view.FetchData(question("x")), rezmira::Error, "Не найдена таблица стилей");
    view.XSLStyle = QStringLiteral("../CMakeLists.txt");
    EXPECT_THROW_MSG(view.FetchData(question("x")), rezmira::Error, "Не найдена таблица стилей");

    QTemporaryDir dir;
    htmltest::writeFile(dir.filePath("sub dir/bad.xsl"), "<xsl:stylesheet version=\"1.0\" "
                        "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
                        "match=\"/\"><xsl:value-of select=\"(\"/></xsl:template></xsl:stylesheet>");
    htmltest::writeFile(dir.filePath("sub dir/ok.xsl"), "<xsl:stylesheet version=\"1.0\" "
                        "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
                        "match=\"/\"><p>n=<xsl:value-of select=\"count(//*)\"/></p></xsl:template>"
                        "</xsl:stylesheet>");
    HTMLViewStylesPath() = dir.path();
    view.XSLStyle = QStringLiteral("sub dir\\bad.xsl");
    EXPECT_THROW_MSG(view.FetchData(question("x")), rezmira::Error, "Cannot Apply XSL stylesheet");
    // A sub-folder style works, and content that is not XML is styled as an empty document.
    view.XSLStyle = QStringLiteral("sub dir\\ok.xsl");
    view.FetchData(QByteArray("<not<xml"));
    EXPECT_EQ(view.FContent(), QByteArray("<p>n=0</p>\n"));
}

TEST_F(HtmlView, HeightIsContentPlusFive) {
    TfrxHTMLView view;
    EXPECT_EQ(view.CalcHeight(0.4), 5);
    view.FetchData(QByteArray("<p style=\"margin:0\"><img width=\"10\" height=\"20\" src=\"x\">"
                              "</p>"));
    // 20 for the picture line, 5 + 5 for the top and bottom margins, 5 added.
    EXPECT_EQ(view.CalcHeight(100), 35);
    EXPECT_EQ(view.CalcHeight(0), 5);
}

TEST_F(HtmlView, EmptyValueShowsAnEmptyDocumentAndNoValueKeepsTheContent) {
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    view.FetchData(question("Первый", 30));
    const double full = view.CalcHeight(400);
    view.FetchData(QVariant());
    EXPECT_EQ(view.CalcHeight(400), full);
    view.FetchData(QByteArray());
    EXPECT_TRUE(view.FContent().isEmpty());
    EXPECT_EQ(view.CalcHeight(400), 15);
    EXPECT_EQ(countColour(render(view, 400, 40), Qt::white), 400 * 40);
}

TEST_F(HtmlView, SlicesCutAtWholeLinesAndAddUpToTheContent) {
    QByteArray lines = "<div style=\"font-size: 11px\">";
    for (int i = 0; i < 60; ++i)
        lines += "<p style=\"margin: 1px\">Строка " + QByteArray::number(i) + "</p>";
    const struct {
        const char *name;
        QString style;
        QByteArray content;
    } cases[] = {
        {"sample style sheet", QStringLiteral("qout.xsl"), question("Длинный вопрос", 60)},
        {"raw HTML with other line heights", QString(), lines + "</div>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TfrxHTMLView view;
        view.XSLStyle = c.style;
        view.FetchData(c.content);
        const int content = int(view.CalcHeight(699)) - 5;
        ASSERT_GT(content, 600);

        view.ResetParts();
        int sum = 0;
        int parts = 0;
        std::int32_t expectedOffset = 0;
        do {
            const double free = view.PaintNextPart(699, 250);
            EXPECT_EQ(view.FPartOffset(), expectedOffset);
            EXPECT_GT(view.FPartHeight(), 0);
            EXPECT_EQ(free, 250 - view.FPartHeight());
            // Each part is drawn from its offset and shows only whole lines: the band below the
            // cut stays white.
            const QImage slice = render(view, 699, 250);
            for (int y = view.FPartHeight(); y < 250; ++y)
                for (int x = 0; x < 699; x += 7)
                    ASSERT_EQ(slice.pixelColor(x, y), QColor(Qt::white)) << y;
            // The engine stores the part at the height it used: drawn at that height, the
            // slice keeps every line.
            const QImage stored = render(view, 699, view.FPartHeight());
            ASSERT_EQ(stored, slice.copy(0, 0, 699, view.FPartHeight()));
            expectedOffset += view.FPartHeight();
            sum += view.FPartHeight();
            ASSERT_LT(++parts, 50);
        } while (view.HasMoreParts());
        EXPECT_GE(parts, 3);
        EXPECT_GE(sum, content);
        EXPECT_LE(sum, content + 1);
    }

    // A new content starts at offset 0 again.
    TfrxHTMLView view;
    view.FetchData(lines);
    view.ResetParts();
    view.PaintNextPart(699, 100);
    view.PaintNextPart(699, 100);
    ASSERT_GT(view.FPartOffset(), 0);
    view.FetchData(lines);
    EXPECT_EQ(view.FPartOffset(), 0);
    EXPECT_EQ(view.FPartHeight(), 0);
}

TEST_F(HtmlView, APictureTallerThanAPartIsCutRatherThanCarriedForever) {
    m_package = htmltest::buildZip({{"tall.png", htmltest::solidPng(Qt::blue, 50, 500), false}});
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    view.FetchData(question("<img src=\"tall.png\"/>"));
    view.ResetParts();
    int parts = 0;
    while (view.HasMoreParts() || parts == 0) {
        view.PaintNextPart(300, 200);
        ASSERT_LT(++parts, 20);
    }
    EXPECT_GE(view.FPartOffset() + view.FPartHeight(), int(view.CalcHeight(300)) - 5);
}

TEST_F(HtmlView, NothingLoadedLeavesTheWholePartFree) {
    TfrxHTMLView view;
    EXPECT_EQ(view.PaintNextPart(500, 300), 300);
    EXPECT_EQ(view.FPartHeight(), 0);
    EXPECT_FALSE(view.HasMoreParts());
}

TEST_F(HtmlView, HtmlContRoundTripsByteForByte) {
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    view.FetchData(question("Сохранение", 40));
    view.ResetParts();
    view.PaintNextPart(699, 300);
    view.PaintNextPart(699, 300);
    const QByteArray stored = view.WriteHtmlCont();
    ASSERT_EQ(stored.size(), 8 + view.FContent().size());
    EXPECT_EQ(stored.mid(8), view.FContent());
    EXPECT_EQ(qFromLittleEndian<qint32>(stored.constData()), view.FPartOffset());
    EXPECT_EQ(qFromLittleEndian<qint32>(stored.constData() + 4), view.FPartHeight());

    TfrxHTMLView copy;
    copy.ReadHtmlCont(stored);
    EXPECT_EQ(copy.WriteHtmlCont(), stored);
    EXPECT_EQ(copy.FContent(), view.FContent());
    // The restored object draws the same slice as the one it was stored from.
    EXPECT_EQ(render(copy, 699, 300), render(view, 699, 300));

    QByteArray negative(8, '\0');
    qToLittleEndian<qint32>(-7, negative.data());
    copy.ReadHtmlCont(negative + "x");
    EXPECT_EQ(copy.FPartOffset(), -7);
    EXPECT_EQ(copy.WriteHtmlCont(), negative + "x");
    copy.ReadHtmlCont("short");
    EXPECT_EQ(copy.WriteHtmlCont(), QByteArray(8, '\0'));
}

TEST_F(HtmlView, TheTemplatesStoredContentIsAnEmptyDocument) {
    TfrxHTMLView view;
    view.ReadHtmlCont(QByteArray(8 + 1064, '\0'));
    EXPECT_EQ(view.FContent(), QByteArray(1064, '\0'));
    EXPECT_LE(view.CalcHeight(699.21), 37.80);
    EXPECT_EQ(countColour(render(view, 699.21, 37.8), Qt::white), 699 * 37);
}

TEST_F(HtmlView, DrawsSharpAtTheTargetResolutionOnWhite) {
    TfrxHTMLView view;
    view.FetchData(QByteArray("<p>Текст</p>"));
    const double height = view.CalcHeight(200);
    const QImage once = render(view, 200, height, 1.0);
    const QImage four = render(view, 200, height, 4.0);
    EXPECT_EQ(countColour(once, Qt::magenta), 0);
    EXPECT_EQ(countColour(four, Qt::magenta), 0);
    // Text laid out once, drawn at four times the resolution: about sixteen times the ink.
    const int inkOnce = once.width() * once.height() - countColour(once, Qt::white);
    const int inkFour = four.width() * four.height() - countColour(four, Qt::white);
    EXPECT_GT(inkOnce, 20);
    EXPECT_GT(inkFour, inkOnce * 8);
}

TEST_F(HtmlView, PdfKeepsTheTextSelectable) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath("view.pdf");
    TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    view.FetchData(question("Какие средства защиты относятся к основным?"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(1200);
        QPainter painter(&writer);
        painter.scale(1200.0 / 96, 1200.0 / 96);
        view.Paint(painter, QRectF(40, 40, 699, view.CalcHeight(699)));
    }
    const QString text = testsupport::programOutput(pdftotext, {pdf, "-"});
    EXPECT_TRUE(text.contains(QString::fromUtf8("Какие средства защиты относятся к основным?")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("2) Вариант 2")));
}
