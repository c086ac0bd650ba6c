// Questions taller than a page in the protocol with the real HTML view: every part of a split
// shows content, the parts add up, and the PDF holds every line of the content exactly once.
#include "html/TestPackage.h"
#include "rezmira/report/HtmlViewObject.h"
#include "rezmira/report/ProtocolReport.h"
#include "rezmira/report/engine/PdfExport.h"
#include "rezmira/report/html/TIMGResolver.h"
#include "rezmira/report/html/TfrxHTMLView.h"

#include "engine_StandIn.h"
#include "tests/support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

using namespace rezmira;
using namespace rezmira::report;

namespace {

QString stylesFolder() {
    return QDir::cleanPath(QStringLiteral(TEST_DATA_DIR "/../../rezmira/XSLStyles")) + QLatin1Char('/');
}

class TallQuestion : public ::testing::Test {
protected:
    void TearDown() override {
        ImageResolver().OnResourceImage = nullptr;
        ImageResolver().OnFileImage = nullptr;
        HTMLViewStylesPath().clear();
    }

    // The protocol of one answered question with `content`, pictures from `m_package`.
    PreparedReport prepare(const QByteArray &content) {
        setUpHtmlView(m_package, stylesFolder());
        reporttest::Question q{0, 1};
        q.content = content;
        reporttest::fillTables(m_tables, {{1, QStringLiteral("Секция")}}, {q}, 1, 1, 1);
        ProtocolReport report(m_tables, xmlValueFunction(stylesFolder()), htmlViewFactory());
        return report.Prepare();
    }

    QList<const PreparedObject *> contentParts(const PreparedReport &r) {
        QList<const PreparedObject *> out;
        for (const PreparedPage &p : r.pages)
            for (const PreparedObject &o : p.objects)
                if (o.name == QLatin1StringView("HTML1"))
                    out.append(&o);
        return out;
    }

    QByteArray m_package;
    ResultTables m_tables;
};

QByteArray questionWith(const QString &text, int options) {
    QString xml = "<question type=\"single\"><text>" + text + "</text>";
    for (int i = 1; i <= options; ++i)
        xml += QStringLiteral("<option id=\"%1\">строка-%2</option>").arg(i).arg(i, 3, 10, QLatin1Char('0'));
    return htmltest::questionContent(xml + "</question><user-answer/><right-answer/>");
}

} // namespace

TEST_F(TallQuestion, APictureTallerThanAPageLeavesNoBlankPartAndThePartsAddUp) {
    m_package = htmltest::buildZip({{"tall.png", htmltest::solidPng(Qt::blue, 60, 2500), false}});
    // A line of text, then the picture: the text ends the first part, the picture starts a part
    // at the top of a fresh page where it cannot fit whole.
    const QByteArray content = questionWith(QStringLiteral("Рисунок:<img src=\"tall.png\"/>"), 2);
    const PreparedReport r = prepare(content);
    ASSERT_TRUE(r.errors.isEmpty()) << r.errors.join(QLatin1Char('\n')).toStdString();
    const QList<const PreparedObject *> parts = contentParts(r);
    ASSERT_GE(parts.size(), 3);

    TfrxHTMLView measure;
    measure.XSLStyle = QStringLiteral("qout.xsl");
    HTMLViewStylesPath() = stylesFolder();
    measure.FetchData(content);
    const double width = parts[0]->rect.width();
    const double whole = measure.CalcHeight(width);

    double sum = 0;
    std::int32_t expectedOffset = 0;
    const StretchObjectFactory factory = htmlViewFactory();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        SCOPED_TRACE(i);
        const PreparedObject &part = *parts[i];
        const std::int32_t offset = qFromLittleEndian<qint32>(part.state.constData());
        const std::int32_t height = qFromLittleEndian<qint32>(part.state.constData() + 4);
        EXPECT_EQ(offset, expectedOffset);
        EXPECT_GT(height, 0);
        if (i + 1 < parts.size()) {
            EXPECT_NEAR(part.rect.height(), height, 0.5); // the page's space, rounded to units
        }
        expectedOffset += height;
        sum += part.rect.height();
        // Each part draws something that is not white.
        std::unique_ptr<StretchObject> drawn = factory(*part.spec);
        drawn->ReadState(part.state);
        QImage image(int(part.rect.width()), int(part.rect.height()), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            drawn->Paint(painter, QRectF(QPointF(0, 0), part.rect.size()));
        }
        bool inked = false;
        for (int y = 0; y < image.height() && !inked; ++y)
            for (int x = 0; x < image.width() && !inked; ++x)
                inked = image.pixelColor(x, y) != QColor(Qt::white);
        EXPECT_TRUE(inked) << "blank part on page with height " << part.rect.height();
    }
    // The parts cover the content exactly once.
    EXPECT_GE(expectedOffset, whole - 5 - 1);
    EXPECT_LE(expectedOffset, whole);
    EXPECT_NEAR(sum, whole, 0.5 * double(parts.size()));
}

TEST_F(TallQuestion, PdfHoldsEveryLineOfASplitQuestionExactlyOnce) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
    // One paragraph of 150 lines: the page boundaries fall inside one text block.
    const PreparedReport r = prepare(questionWith(QStringLiteral("Длинный вопрос"), 150));
    ASSERT_TRUE(r.errors.isEmpty()) << r.errors.join(QLatin1Char('\n')).toStdString();
    ASSERT_GE(contentParts(r).size(), 3);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("tall.pdf"));
    exportPdf(r, htmlViewFactory(), pdf);
    const QString text = testsupport::programOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    for (int i = 1; i <= 150; ++i) {
        const QString line = QStringLiteral("строка-%1").arg(i, 3, 10, QLatin1Char('0'));
        EXPECT_EQ(text.count(line), 1) << line.toStdString();
    }
}
