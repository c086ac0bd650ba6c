// The envelope reader: which elements count, the order of its two failures, and hostile or
// malformed envelopes that must fail cleanly.
#include "ProtectionTestSupport.h"
#include "tests/support/TestSupport.h"

#include "rezmira/protection/TCryptManager.h"
#include "rezmira/protection/TXmlCryptManager.h"

#include <QTemporaryDir>

using namespace rezmira;
using namespace rezmira::cryptoapi;

namespace {

const QByteArray kDocument = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><results>Итог</results>");

struct Rig : protectiontest::CryptRig {
    TXmlCryptManager xmlCrypt{crypt};
    QByteArray keyValue; ///< base64 of the SIMPLEBLOB
    QByteArray dataValue; ///< base64 of the encrypted document

    Rig() {
        crypt.ImportKeyStore(protectiontest::makeKeyStore(protectiontest::rsa512().get(), "qm804"), "qm804");
        const QByteArray key(24, '\x5c');
        keyValue = wrapSimpleBlob(protectiontest::rsa512().get(), CALG_3DES, key).toBase64();
        dataValue = encryptMessage(SessionKey{CALG_3DES, SecretBytes(QByteArrayView(key))}, kDocument).toBase64();
    }
    QByteArray keyInfo(const QByteArray &prefix = "ds") const {
        return "<" + prefix + ":KeyInfo><EncryptedKey><CipherData><CipherValue>" + keyValue +
               "</CipherValue></CipherData></EncryptedKey></" + prefix + ":KeyInfo>";
    }
    QByteArray cipherData() const { return "<CipherData><CipherValue>" + dataValue + "</CipherValue></CipherData>"; }
    QByteArray decrypt(const QByteArray &envelope) {
        xmlCrypt.LoadEnvelope(envelope);
        QByteArray output;
        xmlCrypt.DecryptDocument(output);
        return output;
    }
};

const QByteArray kRoot = "<EncryptedData xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\">";

} // namespace

TEST(TXmlCryptManager, ReadsOnlyTheTwoPathsFromTheDocumentElement) {
    Rig rig;
    const struct {
        const char *name;
        QByteArray envelope;
    } cases[] = {
        {"key part first", kRoot + rig.keyInfo() + rig.cipherData() + "</EncryptedData>"},
        {"cipher data first, noise around",
         "<?xml version=\"1.0\"?><x a=\"1\" xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"><!-- c -->"
         "<EncryptionMethod Algorithm=\"other\"/>" + rig.cipherData() + "<ds:KeyName>k</ds:KeyName>" +
             rig.keyInfo() + "<CipherData><CipherValue>AAAA</CipherValue></CipherData></x>"},
        {"another prefix bound to the signature namespace",
         "<r xmlns:sig=\"http://www.w3.org/2000/09/xmldsig#\">" + rig.keyInfo("sig") + rig.cipherData() + "</r>"},
        {"ds bound by the document element to another namespace",
         "<r xmlns:ds=\"urn:other\">" + rig.keyInfo() + rig.cipherData() + "</r>"},
        {"prefix declared on the key part itself",
         "<r><ds:KeyInfo xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\"><EncryptedKey><CipherData><CipherValue>" +
             rig.keyValue + "</CipherValue></CipherData></EncryptedKey></ds:KeyInfo>" + rig.cipherData() + "</r>"},
        {"payload split by a comment",
         kRoot + rig.keyInfo() + "<CipherData><CipherValue>" + rig.dataValue.left(20) + "<!--x-->" +
             rig.dataValue.mid(20) + "</CipherValue></CipherData></EncryptedData>"},
        {"payload in CDATA", kRoot + rig.keyInfo() + "<CipherData><CipherValue><![CDATA[" + rig.dataValue +
                                 "]]></CipherValue></CipherData></EncryptedData>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rig.decrypt(c.envelope), kDocument);
    }
}

TEST(TXmlCryptManager, MissingPayloadsFailInOrderBeforeAnyKeyIsUsed) {
    Rig rig;
    const QByteArray nested = "<CipherData><CipherValue>" + rig.dataValue + "</CipherValue></CipherData>";
    const struct {
        const char *name;
        QByteArray envelope;
        const char *message;
    } cases[] = {
        {"nothing loaded", QByteArray(), "Unable Extract Session Key"},
        {"not XML", "PK\x03\x04 garbage", "Unable Extract Session Key"},
        {"not well-formed", kRoot + rig.keyInfo() + rig.cipherData(), "Unable Extract Session Key"},
        {"no key part", kRoot + rig.cipherData() + "</EncryptedData>", "Unable Extract Session Key"},
        {"empty key value", kRoot + "<ds:KeyInfo><EncryptedKey><CipherData><CipherValue/></CipherData></EncryptedKey></ds:KeyInfo>" +
                                rig.cipherData() + "</EncryptedData>", "Unable Extract Session Key"},
        {"key part under a default namespace",
         "<r xmlns=\"urn:x\" xmlns:ds=\"http://www.w3.org/2000/09/xmldsig#\">" + rig.keyInfo() + rig.cipherData() + "</r>",
         "Unable Extract Session Key"},
        {"cipher data only inside the key part", kRoot + rig.keyInfo() + "</EncryptedData>", "Unable Extract Cipher Data"},
        {"cipher data one level too deep", kRoot + rig.keyInfo() + "<Wrap>" + nested + "</Wrap></EncryptedData>",
         "Unable Extract Cipher Data"},
        {"empty cipher value", kRoot + rig.keyInfo() + "<CipherData><CipherValue></CipherValue></CipherData></EncryptedData>",
         "Unable Extract Cipher Data"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string_view(c.name) != "nothing loaded")
            rig.xmlCrypt.LoadEnvelope(c.envelope);
        QByteArray output;
        EXPECT_THROW_MSG(rig.xmlCrypt.DecryptDocument(output), CryptError, c.message);
    }
}

// Declared entities and DTDs are refused outright: no expansion, no file read, no network.
TEST(TXmlCryptManager, EnvelopesDeclaringEntitiesOrDtdsAreNotParsed) {
    Rig rig;
    const QByteArray body = rig.keyInfo() + rig.cipherData() + "</EncryptedData>";
    const QByteArray laughs =
        "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>";
    const QByteArray cases[] = {
        "<!DOCTYPE EncryptedData>" + kRoot + body,
        laughs + kRoot + "<Note>&d;</Note>" + body,
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" + kRoot + "<Note>&x;</Note>" + body,
        "<!DOCTYPE r SYSTEM \"http://127.0.0.1:1/x.dtd\">" + kRoot + body,
    };
    for (const QByteArray &envelope : cases) {
        SCOPED_TRACE(envelope.left(60).toStdString());
        rig.xmlCrypt.LoadEnvelope(envelope);
        EXPECT_FALSE(rig.xmlCrypt.hasEnvelope());
        QByteArray output;
        EXPECT_THROW_MSG(rig.xmlCrypt.DecryptDocument(output), CryptError, "Unable Extract Session Key");
    }
}

TEST(TXmlCryptManager, DeepNestingIsRefusedWithoutCrashing) {
    Rig rig;
    const QByteArray envelope = QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000);
    rig.xmlCrypt.LoadEnvelope(envelope);
    EXPECT_FALSE(rig.xmlCrypt.hasEnvelope());
    rig.xmlCrypt.LoadEnvelope(QByteArray("<a>").repeated(200) + QByteArray("</a>").repeated(200));
    EXPECT_TRUE(rig.xmlCrypt.hasEnvelope());
}

// Bad base64 is not detected by the reader; it decodes to bytes that fail at the next step.
TEST(TXmlCryptManager, MalformedBase64FailsLaterWithoutCrashing) {
    Rig rig;
    const QByteArray badKey = kRoot + "<ds:KeyInfo><EncryptedKey><CipherData><CipherValue>!!!*%=AB=C</CipherValue>"
                              "</CipherData></EncryptedKey></ds:KeyInfo>" + rig.cipherData() + "</EncryptedData>";
    rig.xmlCrypt.LoadEnvelope(badKey);
    QByteArray output;
    EXPECT_THROW_MSG(rig.xmlCrypt.DecryptDocument(output), CryptError, "Unable Import Session Key");

    const QByteArray badData = kRoot + rig.keyInfo() + "<CipherData><CipherValue>@@@@=" + rig.dataValue.left(10) +
                               "</CipherValue></CipherData></EncryptedData>";
    rig.xmlCrypt.LoadEnvelope(badData);
    EXPECT_THROW_MSG(rig.xmlCrypt.DecryptDocument(output), CryptError, "Unable Decrypt Message");
}

// The encrypted document is one base64 text node far above libxml2's default 10 MB text limit.
TEST(TXmlCryptManager, LargeDocumentDecrypts) {
    Rig rig;
    const QByteArray key(16, '\x11');
    const QByteArray large = "<r>" + QByteArray(12 * 1024 * 1024, 'x') + "</r>";
    rig.keyValue = wrapSimpleBlob(protectiontest::rsa512().get(), CALG_RC4, key).toBase64();
    rig.dataValue = encryptMessage(SessionKey{CALG_RC4, SecretBytes(QByteArrayView(key))}, large).toBase64();
    EXPECT_EQ(rig.decrypt(kRoot + rig.keyInfo() + rig.cipherData() + "</EncryptedData>"), large);
    EXPECT_FALSE(rig.xmlCrypt.hasEnvelope()) << "the model is not kept alive during the decryption";
}
