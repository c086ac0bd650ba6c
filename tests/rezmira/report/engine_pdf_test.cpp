// PDF export: A4 pages, selectable text of every page, atomic writes.
#include "rezmira/Error.h"
#include "rezmira/report/ProtocolReport.h"
#include "rezmira/report/engine/PdfExport.h"

#include "engine_StandIn.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace rezmira;
using namespace rezmira::report;

TEST(PdfExport, WritesA4PagesWithSelectableText) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
    ResultTables tables;
    QList<reporttest::Question> questions;
    for (int i = 1; i <= 12; ++i)
        questions.append({0, i, 1, 1, QByteArray("Условие задачи ") + QByteArray::number(i)});
    reporttest::fillTables(tables, {{1, QStringLiteral("Механика")}}, questions, 1, 1, 12);
    ProtocolReport report(tables, [](const QByteArray &, const QString &) { return QStringLiteral("Б"); },
                          reporttest::linesFactory());
    const PreparedReport prepared = report.Prepare();
    ASSERT_TRUE(prepared.errors.isEmpty());
    ASSERT_GE(prepared.pages.size(), 2);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("protocol.pdf"));
    exportPdf(prepared, reporttest::linesFactory(), pdf, QStringLiteral("Протокол"));
    const QString info = testsupport::programOutput(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts (A4)"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages: +%1\n").arg(prepared.pages.size()))))
        << info.toStdString();
    const QString text = testsupport::programOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char *expected : {"Протокол тестирования", "1. Общие сведения", "Дата и время тестирования:",
                                 "15.03.2023 12:00:00", "Иванов Иван", "3. Протокол тестирования", "Вопрос№ 12",
                                 "Условие задачи 12", "Дан ответ:", "Правильный ответ:"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), prepared.pages.size());
    for (int i = 0; i < prepared.pages.size(); ++i)
        EXPECT_TRUE(pages[i].trimmed().endsWith(QString::number(i + 1))) << "page number of page " << i + 1;
    const QString fonts = testsupport::programOutput(QStringLiteral("pdffonts"), {pdf});
    EXPECT_TRUE(fonts.contains(QStringLiteral("LiberationSans-Bold"))) << fonts.toStdString();
}

TEST(PdfExport, FailedWriteLeavesNoFileAndKeepsAnOldOne) {
    ResultTables tables;
    reporttest::fillTables(tables, {{1, QStringLiteral("S")}}, {{0, 1}}, 1, 1, 1);
    ProtocolReport report(tables, {}, reporttest::linesFactory());
    const PreparedReport prepared = report.Prepare();
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/dir/out.pdf"));
    EXPECT_THROW(exportPdf(prepared, reporttest::linesFactory(), missing), Error);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_THROW_MSG(exportPdf(PreparedReport(), {}, dir.filePath(QStringLiteral("empty.pdf"))), Error,
                     "Отчёт не содержит страниц");
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("empty.pdf"))));
    // A failed export leaves an existing file as it was.
    const QString old = dir.filePath(QStringLiteral("old.pdf"));
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    EXPECT_THROW(exportPdf(PreparedReport(), {}, old), Error);
    EXPECT_EQ(testsupport::readAll(old), QByteArray("old"));
}
