#include "rezmira/loading/ResultDump.h"

#include "rezmira/shell/CommandLine.h"
#include "tests/support/TestSupport.h"
#include "tools/ZipWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

using namespace rezmira;

namespace {

struct HeadlessRun {
    int status;
    QString out, err;
};

HeadlessRun dumpResult(const QString &file) {
    HeadlessRun run;
    QTextStream out(&run.out), err(&run.err);
    run.status = runHeadless(parseCommandLine({QStringLiteral("--dump-result"), file}), out, err);
    out.flush();
    err.flush();
    return run;
}

QString lastLine(const QString &text) {
    QStringList lines = text.split(u'\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.isEmpty() ? QString() : lines.last();
}

} // namespace

TEST(DumpResult, WritesEveryFieldInTableOrderWithItsFormat) {
    ResultTables tables;
    tables.ResetTables();
    const double begDate = *datetime::encodeDate(2009, 3, 5) + *datetime::encodeTime(14, 7, 9);
    tables.ResultsCDS.append({QStringLiteral("Тест \"A\\B\""), QStringLiteral("И  "),
                              QStringLiteral("tab\there\x01"), begDate, 6, 5, 3, 2,
                              *datetime::encodeTime(0, 12, 30), 12, -9, 75, QString(),
                              *datetime::encodeTime(23, 59, 59)});
    tables.SResultsCDS.append({0, 1, QStringLiteral("S"), 2, 2, 4, 4, 100, QStringLiteral("M")});
    tables.QResultsCDS.append({0, 1, 7, 2, 1, 50, QStringLiteral("Q"), QByteArray("\xEF\xBB\xBF<q/>")});
    tables.QResultsCDS.append({0, 1, 8, 0, 0, 0, QString(), QByteArray()});
    EXPECT_EQ(dumpResultJson(tables).toStdString(),
              "{\"summary\": {\"TESTNAME\": \"Тест \\\"A\\\\B\\\"\", \"USERNAME\": \"И  \", "
              "\"USERNOTES\": \"tab\\u0009here\\u0001\", \"BEGDATE\": \"2009-03-05T14:07:09\", "
              "\"QUESTCOUNT\": 6, \"QANSWERED\": 5, \"SECTCOUNT\": 3, \"SANSWERED\": 2, "
              "\"TIMESPEND\": \"00:12:30\", \"MAXRATING\": 12, \"RATING\": -9, \"RPERCENT\": 75, "
              "\"MARK\": \"\", \"TESTTIME\": \"23:59:59\"},\n"
              " \"sections\": [{\"SRESULT_ID\": 1, \"SNUMBER\": 1, \"SNAME\": \"S\", \"SQUESTCOUNT\": 2, "
              "\"SQANSWERED\": 2, \"SMAXRATING\": 4, \"SRATING\": 4, \"SRPERCENT\": 100, \"SMARK\": \"M\"}],\n"
              " \"questions\": [{\"QRESULT_ID\": 1, \"SRESULTID\": 1, \"QNUMBER\": 7, \"QMAXRATING\": 2, "
              "\"QRATING\": 1, \"QRPERCENT\": 50, \"QMARK\": \"Q\", \"QCONTENT\": \"77u/PHEvPg==\"},\n"
              "  {\"QRESULT_ID\": 2, \"SRESULTID\": 1, \"QNUMBER\": 8, \"QMAXRATING\": 0, \"QRATING\": 0, "
              "\"QRPERCENT\": 0, \"QMARK\": \"\", \"QCONTENT\": \"\"}]}\n");
}

TEST(DumpResult, DumpsTheDemoPackage) {
    const HeadlessRun run = dumpResult(QStringLiteral(SAMPLES_DIR "/demo.rzt"));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    const QJsonObject summary = json[u"summary"].toObject();
    EXPECT_EQ(summary[u"USERNAME"].toString(), QStringLiteral("Петров Алексей Викторович"));
    EXPECT_EQ(summary[u"BEGDATE"].toString(), QStringLiteral("2009-03-05T14:07:09"));
    EXPECT_EQ(summary[u"TIMESPEND"].toString(), QStringLiteral("00:12:30"));
    EXPECT_EQ(summary[u"RATING"].toInt(), 9);
    EXPECT_EQ(json[u"sections"].toArray().size(), 3);
    const QJsonArray questions = json[u"questions"].toArray();
    ASSERT_EQ(questions.size(), 6);
    EXPECT_EQ(questions[5].toObject()[u"SRESULTID"].toInt(), 3);
    const QByteArray content = QByteArray::fromBase64(questions[2].toObject()[u"QCONTENT"].toString().toLatin1());
    EXPECT_TRUE(content.startsWith("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
    EXPECT_TRUE(content.contains("<img src=\"images/extinguisher.png\"/>"));
    EXPECT_FALSE(content.contains("<summary>"));
}

TEST(DumpResult, FailureWritesOnlyTheMessage) {
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    struct Case {
        const char *name;
        QString file;
        QString message;
    } cases[] = {
        {"text file", write("a.rzt", "text"), QStringLiteral("Файл не является файлом результатов, либо поврежден")},
        // Until the crypt layer is wired in, no key can be made ready.
        {"protected package", write("p.rzt", tools::makeZip({{"scontent.xml", "<e/>"}})),
         QStringLiteral("Не удается открыть файл")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const HeadlessRun run = dumpResult(c.file);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(lastLine(run.err), c.message);
    }
}
