// Every case of the shared crypto fixtures (vectors made by an independent CryptoAPI) through
// the real crypt layer: the key store, the envelope, the session key and the document cipher.
#include "ProtectionTestSupport.h"
#include "tests/support/TestSupport.h"

#include "rezmira/protection/TCryptManager.h"
#include "rezmira/protection/TXmlCryptManager.h"
#include "rezmira/shell/TSettingsObj.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <libxml/parser.h>

using namespace rezmira;
using protectiontest::zipEntry;

namespace {

QString fixture(const QString &name) { return testsupport::sharedFixtures(QStringLiteral("crypto/") + name); }

struct Rig : protectiontest::CryptRig {
    TXmlCryptManager xmlCrypt{crypt};
};

bool parsesAsXml(const QByteArray &bytes) {
    xmlDoc *doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

} // namespace

TEST(CryptFixtures, EveryManifestCaseBehavesAsRecorded) {
    REQUIRE_SHARED_FIXTURES("crypto/manifest.json");
    const QJsonObject manifest =
        QJsonDocument::fromJson(testsupport::readAll(fixture(QStringLiteral("manifest.json")))).object();
    const QJsonObject steps = manifest.value(QStringLiteral("steps")).toObject();
    const QJsonArray cases = manifest.value(QStringLiteral("cases")).toArray();
    ASSERT_GE(cases.size(), 28);

    for (const QJsonValue &value : cases) {
        const QJsonObject c = value.toObject();
        const QString package = c.value(QStringLiteral("package")).toString();
        const QString key = c.value(QStringLiteral("key")).toString();
        SCOPED_TRACE((package + QStringLiteral(" + ") + key).toStdString());
        const QString packagePath = fixture(package);

        Rig rig;
        const QByteArray content = zipEntry(packagePath, "content.xml");
        if (c.value(QStringLiteral("expect")) == QLatin1String("plaintext") && key.isEmpty()) {
            // Plain packages: the non-empty content.xml is the document; no key is used.
            EXPECT_EQ(content, testsupport::readAll(fixture(c.value(QStringLiteral("plaintext")).toString())));
            continue;
        }
        ASSERT_TRUE(content.isEmpty()) << "a protected case must take the protected path";
        const QByteArray envelope = zipEntry(packagePath, "scontent.xml");
        ASSERT_FALSE(envelope.isEmpty());

        const QString step = c.value(QStringLiteral("step")).toString();
        const QString message = c.value(QStringLiteral("message")).toString();
        ASSERT_TRUE(step.isEmpty() || steps.value(step).toString() == message);

        // The key store through the real key acquisition (the dialog names the key once).
        TSettingsObj settings;
        protectiontest::ScriptedKeyDialog dialog;
        dialog.ok(fixture(key));
        KeyFileProvider provider(rig.crypt, settings, dialog);
        if (step == QLatin1String("import-key-store")) {
            EXPECT_THROW_MSG((void)provider.AcquireKey(), Error, "Ключ поврежден");
            EXPECT_THROW_MSG(rig.crypt.ImportKeyStore(testsupport::readAll(fixture(key)),
                                                      QByteArrayLiteral("qm804")),
                             CryptError, message);
            EXPECT_TRUE(rig.userKeys.load(rig.crypt.KeyStoreName).isEmpty());
            continue;
        }
        ASSERT_TRUE(provider.AcquireKey());

        // The container holds exactly the pair the independent implementation exported.
        const QString keyName = QFileInfo(key).completeBaseName();
        const QByteArray expectedPair = testsupport::readAll(fixture(keyName + QStringLiteral(".privateblob")));
        EXPECT_EQ(rig.userKeys.load(rig.crypt.KeyStoreName).view(), QByteArrayView(expectedPair));

        rig.xmlCrypt.LoadEnvelope(envelope);
        QByteArray output;
        if (c.value(QStringLiteral("expect")) == QLatin1String("plaintext")) {
            ASSERT_NO_THROW(rig.xmlCrypt.DecryptDocument(output));
            EXPECT_EQ(output, testsupport::readAll(fixture(c.value(QStringLiteral("plaintext")).toString())));
            EXPECT_EQ(output.size(), c.value(QStringLiteral("session")).toObject().value(QStringLiteral("plain_len")).toInt());
        } else if (step == QLatin1String("parse-document")) {
            // RC4 cannot notice a cut cipher text: the decryption gives the head of the document,
            // which is not a well-formed document.
            ASSERT_NO_THROW(rig.xmlCrypt.DecryptDocument(output));
            const QByteArray result = testsupport::readAll(fixture(QStringLiteral("result.xml")));
            EXPECT_TRUE(result.startsWith(output));
            EXPECT_LT(output.size(), result.size());
            EXPECT_FALSE(parsesAsXml(output));
        } else {
            EXPECT_THROW_MSG(rig.xmlCrypt.DecryptDocument(output), CryptError, message);
        }
    }
}

// The three reference pairs decrypt to their exported blobs, under both password-key rules.
TEST(CryptFixtures, KeyStoresOfEveryProviderImport) {
    REQUIRE_SHARED_FIXTURES("crypto/manifest.json");
    for (const char *name : {"key-a-1024", "key-b-2048", "key-c-512-base", "key-x-1024"}) {
        SCOPED_TRACE(name);
        Rig rig;
        rig.crypt.ImportKeyStore(testsupport::readAll(fixture(QLatin1String(name) + QStringLiteral(".rzk"))),
                                 QByteArrayLiteral("qm804"));
        EXPECT_EQ(rig.userKeys.load(rig.crypt.KeyStoreName).view(),
                  QByteArrayView(testsupport::readAll(fixture(QLatin1String(name) + QStringLiteral(".privateblob")))));
    }
}

// A wrong password must not load any pair, even though the file is a well-made key store.
TEST(CryptFixtures, ReferenceKeyStoreUnderAnotherPasswordIsRejected) {
    REQUIRE_SHARED_FIXTURES("crypto/manifest.json");
    Rig rig;
    EXPECT_THROW_MSG(rig.crypt.ImportKeyStore(testsupport::readAll(fixture(QStringLiteral("key-a-1024.rzk"))),
                                              QByteArrayLiteral("qm805")),
                     CryptError, "Unable Import Key");
}
