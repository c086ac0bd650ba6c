#include "rezmira/loading/ResultLoader.h"

#include "rezmira/Error.h"
#include "rezmira/shell/TSettingsObj.h"
#include "tests/support/TestSupport.h"
#include "tools/ZipWriter.h"

#include <QTemporaryDir>

#include <deque>
#include <variant>

using namespace rezmira;
using rezmira::tools::makeZip;

namespace {

const QString kNotResult = QStringLiteral("Файл не является файлом результатов, либо поврежден");

QByteArray resultXml(const QByteArray &testName, int sections = 1) {
    QByteArray body;
    for (int s = 1; s <= sections; ++s)
        body += "<section-out number=\"" + QByteArray::number(s) +
                "\"><question-out number=\"1\"><question/></question-out></section-out>";
    return "<result-out><test>" + testName +
           "</test><summary><begin><date><day>1</day><month>2</month><year>2010</year></date></begin>"
           "</summary>" + body + "</result-out>";
}

// Answers AcquireKey from a script: true, false, or a thrown error text. Records the LastKey it
// saw at each call.
class ScriptedKeys final : public KeyProvider {
public:
    explicit ScriptedKeys(const TSettingsObj &settings) : m_settings(settings) {}
    std::deque<std::variant<bool, QString>> answers;
    QStringList lastKeySeen;

    bool AcquireKey() override {
        lastKeySeen << m_settings.LastKey;
        if (answers.empty())
            return false;
        const auto answer = answers.front();
        answers.pop_front();
        if (const QString *error = std::get_if<QString>(&answer))
            throw Error(*error);
        return std::get<bool>(answer);
    }

private:
    const TSettingsObj &m_settings;
};

// Decrypts by script: each DecryptDocument gives the next document, or fails when it is null.
class ScriptedDecryptor final : public EnvelopeDecryptor {
public:
    std::deque<QByteArray> documents;
    QList<QByteArray> envelopesLoaded;
    int decryptCalls = 0;

    void LoadEnvelope(const QByteArray &envelope) override { envelopesLoaded << envelope; }
    void DecryptDocument(QByteArray &output) override {
        ++decryptCalls;
        EXPECT_TRUE(output.isEmpty());
        const QByteArray next = documents.empty() ? QByteArray() : documents.front();
        if (!documents.empty())
            documents.pop_front();
        if (next.isNull())
            throw Error(QStringLiteral("Unable Decrypt Message"));
        output = next;
    }
};

class LoadResultFile : public ::testing::Test {
protected:
    TSettingsObj settings;
    ScriptedKeys keys{settings};
    ScriptedDecryptor decryptor;
    ResultLoader loader{keys, decryptor, settings};
    QTemporaryDir dir;

    QString write(const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    void expectEmptyTables() {
        EXPECT_EQ(loader.tables().ResultsCDS.rowCount(), 0);
        EXPECT_EQ(loader.tables().SResultsCDS.rowCount(), 0);
        EXPECT_EQ(loader.tables().QResultsCDS.rowCount(), 0);
        EXPECT_TRUE(loader.tables().ResultsCDS.active());
        EXPECT_EQ(loader.resultDocument(), nullptr);
    }
    QString testName() const { return loader.tables().ResultsCDS.value(0, u"TESTNAME").toString(); }
};

} // namespace

TEST_F(LoadResultFile, OpensPlainPackagesAndKeepsThePackageBytes) {
    REQUIRE_SHARED_FIXTURES("crypto/plain.rzt");
    for (const char *name : {"plain.rzt", "both-entries.rzt"}) {
        SCOPED_TRACE(name);
        const QString path = testsupport::sharedFixtures(QStringLiteral("crypto/") + QLatin1String(name));
        loader.LoadResultFile(path);
        EXPECT_EQ(loader.packageStream(), testsupport::readAll(path));
        EXPECT_EQ(testName(), QStringLiteral("Электробезопасность: II группа допуска"));
        EXPECT_EQ(loader.tables().SResultsCDS.rowCount(), 2);
        EXPECT_EQ(loader.tables().QResultsCDS.rowCount(), 4);
        EXPECT_NE(loader.resultDocument(), nullptr);
    }
    // A non-empty content.xml wins: no key was asked for.
    EXPECT_TRUE(keys.lastKeySeen.isEmpty());
    EXPECT_EQ(decryptor.decryptCalls, 0);
}

TEST_F(LoadResultFile, FindsContentXmlInAnyLetterCaseAndTakesItsEncoding) {
    const QByteArray cp1251 = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>" + resultXml("\xD2\xE5\xF1\xF2");
    loader.LoadResultFile(write(QStringLiteral("a.rzt"), makeZip({{"CONTENT.XML", cp1251}})));
    EXPECT_EQ(testName(), QStringLiteral("Тест"));
}

TEST_F(LoadResultFile, FailureTableMessagesAndStateAfterwards) {
    const QByteArray noDate = "<result-out><test>t</test><summary/><section-out/></result-out>";
    struct Case {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"zero-length file", ""},
        {"text file", "это не архив\n"},
        {"zip without either entry", makeZip({{"images/a.png", "png"}})},
        {"both entries empty", makeZip({{"content.xml", ""}, {"scontent.xml", ""}})},
        {"content is not xml", makeZip({{"content.xml", "not xml"}})},
        {"document without begin date", makeZip({{"content.xml", noDate}})},
        {"document with hour 24",
         makeZip({{"content.xml", QByteArray(resultXml("t")).replace("</date>", "</date><time><hour>24</hour></time>")}})},
        {"content.xml beyond the inflate cap", makeZip({{"content.xml", resultXml("t") + QByteArray(70000, ' ')}})},
        {"document declaring entities",
         makeZip({{"content.xml", "<!DOCTYPE r [<!ENTITY e \"x\">]>" + resultXml("&e;")}})},
    };
    loader.setMaxEntrySize(64 * 1024);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        loader.LoadResultFile(write(QStringLiteral("good.rzt"), makeZip({{"content.xml", resultXml("good")}})));
        ASSERT_EQ(loader.tables().ResultsCDS.rowCount(), 1);
        const QString path = write(QStringLiteral("bad.rzt"), c.bytes);
        EXPECT_THROW_MSG(loader.LoadResultFile(path), Error, kNotResult);
        expectEmptyTables();
        EXPECT_EQ(loader.packageStream(), c.bytes);
    }
    EXPECT_TRUE(keys.lastKeySeen.isEmpty());
}

TEST_F(LoadResultFile, UnreadableFileGivesTheFileSystemErrorNamingTheFile) {
    loader.LoadResultFile(write(QStringLiteral("good.rzt"), makeZip({{"content.xml", resultXml("good")}})));
    for (const QString &path : {dir.filePath(QStringLiteral("missing.rzt")), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        try {
            loader.LoadResultFile(path);
            ADD_FAILURE() << "no error";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(path)) << e.message().toStdString();
            EXPECT_NE(e.message(), kNotResult);
        }
        expectEmptyTables();
        EXPECT_TRUE(loader.packageStream().isEmpty());
    }
}

TEST_F(LoadResultFile, EveryOpenNumbersRowsFromOne) {
    loader.LoadResultFile(write(QStringLiteral("a.rzt"), makeZip({{"content.xml", resultXml("a", 3)}})));
    EXPECT_EQ(loader.tables().SResultsCDS.value(2, u"SRESULT_ID").toInt(), 3);
    loader.LoadResultFile(write(QStringLiteral("b.rzt"), makeZip({{"content.xml", resultXml("b", 2)}})));
    EXPECT_EQ(testName(), QStringLiteral("b"));
    EXPECT_EQ(loader.tables().SResultsCDS.rowCount(), 2);
    EXPECT_EQ(loader.tables().SResultsCDS.value(0, u"SRESULT_ID").toInt(), 1);
    EXPECT_EQ(loader.tables().QResultsCDS.value(0, u"QRESULT_ID").toInt(), 1);
    EXPECT_EQ(loader.tables().QResultsCDS.value(1, u"SRESULTID").toInt(), 2);
}

TEST_F(LoadResultFile, ProtectedPathRetriesWithANewKeyAfterAFailedDecryption) {
    const QByteArray envelope = "<EncryptedData>…</EncryptedData>";
    // An empty content.xml counts as missing.
    const QString path = write(QStringLiteral("p.rzt"), makeZip({{"content.xml", "", false}, {"scontent.xml", envelope}}));
    settings.LastKey = QStringLiteral("/keys/wrong.rzk");
    keys.answers = {true, true, true};
    decryptor.documents = {QByteArray(), QByteArray(), resultXml("decrypted")};
    loader.LoadResultFile(path);
    EXPECT_EQ(testName(), QStringLiteral("decrypted"));
    // The remembered key is forgotten after the first failure, so the provider asks again.
    EXPECT_EQ(keys.lastKeySeen, QStringList({QStringLiteral("/keys/wrong.rzk"), QString(), QString()}));
    EXPECT_EQ(decryptor.envelopesLoaded, QList<QByteArray>({envelope, envelope, envelope}));
    EXPECT_EQ(decryptor.decryptCalls, 3);
    EXPECT_TRUE(settings.LastKey.isEmpty());
}

TEST_F(LoadResultFile, ProtectedPathEndsWhenNoKeyOrABrokenKeyIsGiven) {
    const QString path = write(QStringLiteral("p.rzt"), makeZip({{"scontent.xml", "<e/>"}}));
    {
        SCOPED_TRACE("cancelled at once: the remembered key stays");
        settings.LastKey = QStringLiteral("/keys/a.rzk");
        keys.answers = {false};
        EXPECT_THROW_MSG(loader.LoadResultFile(path), Error, "Не удается открыть файл");
        expectEmptyTables();
        EXPECT_EQ(settings.LastKey, QStringLiteral("/keys/a.rzk"));
        EXPECT_EQ(decryptor.decryptCalls, 0);
    }
    {
        SCOPED_TRACE("wrong key, then cancelled: LastKey stays empty");
        keys.answers = {true, false};
        decryptor.documents = {QByteArray()};
        EXPECT_THROW_MSG(loader.LoadResultFile(path), Error, "Не удается открыть файл");
        expectEmptyTables();
        EXPECT_TRUE(settings.LastKey.isEmpty());
    }
    {
        SCOPED_TRACE("a key file that cannot be loaded ends the open with its own error");
        settings.LastKey = QStringLiteral("/keys/broken.rzk");
        keys.answers = {QStringLiteral("Ключ поврежден")};
        EXPECT_THROW_MSG(loader.LoadResultFile(path), Error, "Ключ поврежден");
        expectEmptyTables();
        EXPECT_EQ(settings.LastKey, QStringLiteral("/keys/broken.rzk"));
    }
    {
        SCOPED_TRACE("a decrypted document that does not parse");
        keys.answers = {true};
        decryptor.documents = {QByteArray(resultXml("x")).left(40)};
        EXPECT_THROW_MSG(loader.LoadResultFile(path), Error, kNotResult);
        expectEmptyTables();
    }
}

TEST_F(LoadResultFile, SharedProtectedFixtureTakesTheProtectedPath) {
    REQUIRE_SHARED_FIXTURES("crypto/empty-content.rzt");
    keys.answers = {true};
    decryptor.documents = {testsupport::readAll(testsupport::sharedFixtures(QStringLiteral("crypto/result-minimal.xml")))};
    loader.LoadResultFile(testsupport::sharedFixtures(QStringLiteral("crypto/empty-content.rzt")));
    ASSERT_EQ(decryptor.envelopesLoaded.size(), 1);
    EXPECT_TRUE(decryptor.envelopesLoaded[0].contains("CipherValue"));
    EXPECT_EQ(testName(), QStringLiteral("Вводный инструктаж по охране труда"));
    EXPECT_EQ(loader.tables().ResultsCDS.value(0, u"USERNAME").toString(), QStringLiteral("Смирнов Олег Павлович"));
    EXPECT_EQ(loader.tables().SResultsCDS.rowCount(), 0);
}
