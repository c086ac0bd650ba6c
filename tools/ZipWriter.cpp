#include "tools/ZipWriter.h"

#include <zip.h>

#include <stdexcept>
#include <string>

namespace rezmira::tools {

namespace {
constexpr time_t kFixedMtime = 1236262029; // 2009-03-05 14:07:09 UTC
[[noreturn]] void fail(const char *what, zip_error_t *error) {
    throw std::runtime_error(std::string(what) + ": " + (error ? zip_error_strerror(error) : "?"));
}
} // namespace

QByteArray makeZip(const QList<ZipEntry> &entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        fail("zip_source_buffer_create", &error);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        zip_source_free(buffer);
        fail("zip_open_from_source", &error);
    }
    zip_source_keep(buffer); // read the result back after zip_close
    for (const ZipEntry &entry : entries) {
        zip_source_t *data = zip_source_buffer(archive, entry.data.constData(),
                                               zip_uint64_t(entry.data.size()), 0);
        const zip_int64_t index =
            data ? zip_file_add(archive, entry.name.constData(), data, ZIP_FL_ENC_RAW | ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            const std::string reason = zip_error_strerror(zip_get_error(archive));
            zip_source_free(data);
            zip_discard(archive);
            zip_source_free(buffer);
            throw std::runtime_error("zip_file_add: " + reason);
        }
        zip_set_file_compression(archive, zip_uint64_t(index), entry.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
        // A fixed time stamp keeps rebuilt packages byte-identical.
        zip_file_set_mtime(archive, zip_uint64_t(index), kFixedMtime, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        zip_source_free(buffer);
        throw std::runtime_error("zip_close failed");
    }
    QByteArray out;
    zip_stat_t stat;
    if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        out.resize(qsizetype(stat.size));
        const zip_int64_t n = zip_source_read(buffer, out.data(), stat.size);
        zip_source_close(buffer);
        out.resize(n < 0 ? 0 : qsizetype(n));
    }
    zip_source_free(buffer);
    return out;
}

} // namespace rezmira::tools
