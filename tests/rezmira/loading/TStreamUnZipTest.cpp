#include "rezmira/loading/TStreamUnZip.h"

#include "rezmira/Error.h"
#include "tests/support/TestSupport.h"
#include "tools/ZipWriter.h"

using namespace rezmira;
using rezmira::tools::makeZip;

namespace {

QByteArray extract(const QByteArray &zip, QByteArrayView name, qint64 cap = TStreamUnZip::kMaxEntrySize) {
    TStreamUnZip unzip(cap);
    unzip.OpenArchive(zip);
    QByteArray target;
    unzip.ExtractEntry(name, target);
    return target;
}

// Overwrites the 4-byte little-endian field at `offset` after every occurrence of `signature`.
void patchField(QByteArray &zip, QByteArrayView signature, int offset, quint32 value) {
    for (qsizetype at = zip.indexOf(signature); at >= 0; at = zip.indexOf(signature, at + 1))
        for (int i = 0; i < 4; ++i)
            zip[at + offset + i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

TEST(TStreamUnZip, ExtractsStoredAndDeflatedEntriesIgnoringAsciiCase) {
    const QByteArray text = QByteArray("Результат ").repeated(500);
    const QByteArray zip = makeZip({{"CONTENT.XML", text, true},
                                    {"images/Q1.png", "png-bytes", false},
                                    {"\x8F\xE0\xA8\xAC\xA5\xE0.txt", "cp866 name", false},
                                    {"../../etc/passwd", "just a name", false}});
    EXPECT_EQ(extract(zip, "content.xml"), text);
    EXPECT_EQ(extract(zip, "Content.Xml"), text);
    EXPECT_EQ(extract(zip, "IMAGES/q1.PNG"), "png-bytes");
    // Names are compared as stored bytes; non-ASCII bytes must match exactly.
    EXPECT_EQ(extract(zip, "\x8F\xE0\xA8\xAC\xA5\xE0.TXT"), "cp866 name");
    EXPECT_EQ(extract(zip, "\x8F\xE0\xA8\xAC\xA5\xA0.txt"), "");
    EXPECT_EQ(extract(zip, "../../etc/passwd"), "just a name");
    EXPECT_EQ(extract(zip, "content.xm"), "");
    EXPECT_EQ(extract(zip, "content.xml2"), "");
}

TEST(TStreamUnZip, AppendsToTargetAndLeavesItUntouchedWhenMissing) {
    const QByteArray zip = makeZip({{"a.txt", "AAA", true}});
    TStreamUnZip unzip;
    QByteArray target("before:");
    unzip.ExtractEntry("a.txt", target); // no archive open yet
    EXPECT_EQ(target, "before:");
    unzip.OpenArchive(zip);
    unzip.ExtractEntry("b.txt", target);
    EXPECT_EQ(target, "before:");
    unzip.ExtractEntry("a.txt", target);
    EXPECT_EQ(target, "before:AAA");
    unzip.CloseArchive();
    unzip.ExtractEntry("a.txt", target);
    EXPECT_EQ(target, "before:AAA");
    EXPECT_EQ(zip, makeZip({{"a.txt", "AAA", true}})); // the source is never changed
}

TEST(TStreamUnZip, RejectsWhatIsNotAnArchive) {
    for (const QByteArray &bytes : {QByteArray("just text"), QByteArray("PK\x03\x04garbage"),
                                    makeZip({{"a", "b", false}}).left(30)}) {
        SCOPED_TRACE(bytes.left(10).toStdString());
        TStreamUnZip unzip;
        EXPECT_THROW(unzip.OpenArchive(bytes), Error);
        EXPECT_FALSE(unzip.isOpen());
    }
}

TEST(TStreamUnZip, DamagedEntriesAreReadAsMissing) {
    const QByteArray body = QByteArray("0123456789").repeated(100);
    {
        SCOPED_TRACE("stored entry with a changed byte fails its CRC");
        QByteArray zip = makeZip({{"a.txt", body, false}, {"b.txt", "fine", false}});
        zip[zip.indexOf(body) + 500] = 'X';
        EXPECT_EQ(extract(zip, "a.txt"), "");
        EXPECT_EQ(extract(zip, "b.txt"), "fine");
    }
    {
        SCOPED_TRACE("deflated entry that inflates beyond its declared size");
        QByteArray zip = makeZip({{"a.txt", body, true}});
        patchField(zip, "PK\x03\x04", 22, 100); // local header: uncompressed size
        patchField(zip, "PK\x01\x02", 24, 100); // central directory: uncompressed size
        EXPECT_EQ(extract(zip, "a.txt"), "");
    }
    {
        SCOPED_TRACE("deflated entry that ends before its declared size");
        QByteArray zip = makeZip({{"a.txt", body, true}});
        patchField(zip, "PK\x03\x04", 22, 5000);
        patchField(zip, "PK\x01\x02", 24, 5000);
        EXPECT_EQ(extract(zip, "a.txt"), "");
    }
}

TEST(TStreamUnZip, EntryBeyondTheInflateCapIsDamaged) {
    const QByteArray zeros(1 << 20, '\0'); // deflates to about a kilobyte
    const QByteArray zip = makeZip({{"bomb.xml", zeros, true}});
    ASSERT_LT(zip.size(), 8 * 1024);
    EXPECT_EQ(extract(zip, "bomb.xml", 64 * 1024), "");
    EXPECT_EQ(extract(zip, "bomb.xml", (1 << 20) - 1), "");
    EXPECT_EQ(extract(zip, "bomb.xml", 1 << 20), zeros);
}
