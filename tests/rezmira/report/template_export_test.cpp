// The protocol of the demo package exported as PDF with the real HTML view and style sheets,
// and the collected-error path that writes nothing.
#include "rezmira/Error.h"
#include "rezmira/loading/ResultLoader.h"
#include "rezmira/shell/ExportPdf.h"
#include "rezmira/shell/TSettingsObj.h"

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

using namespace rezmira;

namespace {

class NoKey final : public KeyProvider {
public:
    bool AcquireKey() override { return false; }
};
class NoDecryptor final : public EnvelopeDecryptor {
public:
    void LoadEnvelope(const QByteArray &) override {}
    void DecryptDocument(QByteArray &) override { throw Error(QStringLiteral("Unable Decrypt Message")); }
};

struct OpenedSample {
    NoKey keys;
    NoDecryptor decryptor;
    TSettingsObj settings;
    ResultLoader loader{keys, decryptor, settings};
    OpenedSample() { loader.LoadResultFile(QDir::cleanPath(QStringLiteral(TEST_DATA_DIR "/../../samples/demo.rzt"))); }
};

QString stylesFolder() {
    return QDir::cleanPath(QStringLiteral(TEST_DATA_DIR "/../../rezmira/XSLStyles")) + QLatin1Char('/');
}

} // namespace

TEST(ProtocolExport, WritesTheSampleProtocolWithItsQuestionContent) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) not installed";
    OpenedSample sample;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("demo.pdf"));
    QString errors;
    QTextStream err(&errors);
    ASSERT_EQ(exportProtocolPdf(sample.loader.tables(), sample.loader.packageStream(), stylesFolder(), pdf, err), 0)
        << errors.toStdString();
    const QString text = testsupport::programOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    for (const char *expected :
         {"Протокол тестирования", "05.03.2009 14:07:09", "Петров Алексей Викторович", "0:12:30 из 0:30:00",
          "3. Результаты тестирования по секциям", "Секция №2.", "4. Протокол тестирования", "Вопрос№ 6",
          "Кто отвечает за пожарную безопасность в цехе?", "Какой огнетушитель изображён на рисунке?",
          "Дан ответ:", "Правильный ответ:", "1) Углекислотный"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_FALSE(text.contains(QStringLiteral("Не найдена"))) << text.toStdString();
    // The package's picture reaches the page (with the six result icons).
    const QString images = testsupport::programOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    EXPECT_GE(images.count(QLatin1Char('\n')), 2 + 7) << images.toStdString();
}

TEST(ProtocolExport, MissingStyleSheetIsReportedAndNothingIsWritten) {
    OpenedSample sample;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("demo.pdf"));
    QString errors;
    QTextStream err(&errors);
    EXPECT_EQ(exportProtocolPdf(sample.loader.tables(), sample.loader.packageStream(),
                                dir.filePath(QStringLiteral("empty")) + QLatin1Char('/'), pdf, err),
              1);
    err.flush();
    EXPECT_EQ(errors, QStringLiteral("Были обнаружены следующие ошибки:\nНе найдена таблица стилей\n"));
    EXPECT_FALSE(QFile::exists(pdf));
}
