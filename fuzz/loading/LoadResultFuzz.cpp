// Feeds arbitrary bytes through LoadResultFile. An input starting with "X:" is the rest wrapped
// as a stored content.xml (so the document reader is reached without forging CRCs); any other
// input is the package itself. The decryptor double hands the envelope back as the plain
// document, so protected packages reach the document reader too.
#include "rezmira/Error.h"
#include "rezmira/loading/ResultLoader.h"
#include "rezmira/shell/TSettingsObj.h"
#include "tools/ZipWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

class OneKey final : public rezmira::KeyProvider {
public:
    int left = 0;
    bool AcquireKey() override { return left-- > 0; }
};

class EchoDecryptor final : public rezmira::EnvelopeDecryptor {
public:
    QByteArray envelope;
    void LoadEnvelope(const QByteArray &bytes) override { envelope = bytes; }
    void DecryptDocument(QByteArray &output) override {
        if (envelope.startsWith("FAIL"))
            throw rezmira::Error(QStringLiteral("Unable Decrypt Message"));
        output = envelope;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir dir(QStringLiteral("/dev/shm/fuzz-load-result-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("input.rzt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
        if (input.startsWith("X:"))
            file.write(rezmira::tools::makeZip({{"content.xml", input.sliced(2), false}}));
        else
            file.write(input);
    }
    OneKey keys;
    keys.left = 2;
    EchoDecryptor decryptor;
    rezmira::TSettingsObj settings;
    rezmira::ResultLoader loader(keys, decryptor, settings);
    loader.setMaxEntrySize(16 * 1024 * 1024); // keeps each run fast; the cap logic is the same
    try {
        loader.LoadResultFile(path);
    } catch (const rezmira::Error &) {
        // Every failure must be one of the loader's own errors; anything else escapes and crashes.
    }
    return 0;
}
