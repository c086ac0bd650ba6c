#include "rezmira/loading/TStreamUnZip.h"

#include "rezmira/Error.h"

#include <algorithm>
#include <memory>

namespace rezmira {

namespace {

bool equalsIgnoringAsciiCase(const char *stored, QByteArrayView name) {
    qsizetype i = 0;
    for (; stored[i] != '\0'; ++i) {
        if (i >= name.size())
            return false;
        char a = stored[i], b = name[i];
        if (a >= 'A' && a <= 'Z')
            a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = char(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return i == name.size();
}

struct ZipFileClose {
    void operator()(zip_file_t *file) const noexcept { zip_fclose(file); }
};

} // namespace

TStreamUnZip::TStreamUnZip(qint64 maxEntrySize)
    : FMaxEntrySize(std::clamp<qint64>(maxEntrySize, 0, kMaxEntrySize)) {}

TStreamUnZip::~TStreamUnZip() { CloseArchive(); }

void TStreamUnZip::OpenArchive(const QByteArray &source) {
    CloseArchive();
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(source.constData(), zip_uint64_t(source.size()), 0, &error);
    if (!buffer) {
        const QString reason = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        throw Error(reason);
    }
    FArchive = zip_open_from_source(buffer, ZIP_RDONLY, &error);
    if (!FArchive) {
        zip_source_free(buffer); // the archive took no ownership
        const QString reason = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        throw Error(reason);
    }
    zip_error_fini(&error);
}

void TStreamUnZip::ExtractEntry(QByteArrayView name, QByteArray &target) {
    if (!FArchive)
        return;
    const zip_int64_t count = zip_get_num_entries(FArchive, 0);
    zip_int64_t index = -1;
    for (zip_int64_t i = 0; i < count && index < 0; ++i) {
        // Raw bytes: libzip's name guessing would turn legacy code-page names into mojibake.
        const char *stored = zip_get_name(FArchive, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        if (stored && equalsIgnoringAsciiCase(stored, name))
            index = i;
    }
    if (index < 0)
        return;

    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(FArchive, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return;
    if (stat.size > zip_uint64_t(FMaxEntrySize))
        return;
    const qint64 limit = qint64(stat.size);
    std::unique_ptr<zip_file_t, ZipFileClose> file(zip_fopen_index(FArchive, zip_uint64_t(index), 0));
    if (!file)
        return;

    // zip_fread does not stop at the declared size, and reports a CRC mismatch only on the
    // read that reaches the end: read until the end, never keeping more than the declared size.
    QByteArray bytes;
    // One block of the declared size, unless the declared size is more than the compressed
    // data could inflate to (deflate stays below about 1:1032): a forged size must not make
    // us allocate up to the cap for a few bytes of input.
    qint64 plausible = limit;
    if (stat.valid & ZIP_STAT_COMP_SIZE)
        plausible = qint64(std::min<zip_uint64_t>(zip_uint64_t(limit), stat.comp_size * 1100 + 65536));
    bytes.reserve(qsizetype(plausible));
    char chunk[64 * 1024];
    for (;;) {
        const zip_int64_t n = zip_fread(file.get(), chunk, sizeof chunk);
        if (n < 0)
            return;
        if (n == 0)
            break;
        if (bytes.size() + n > limit)
            return;
        bytes.append(chunk, qsizetype(n));
    }
    if (bytes.size() != limit)
        return;
    target.append(bytes);
}

void TStreamUnZip::CloseArchive() {
    if (FArchive) {
        zip_discard(FArchive);
        FArchive = nullptr;
    }
}

} // namespace rezmira
