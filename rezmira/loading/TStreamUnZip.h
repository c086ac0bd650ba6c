// TStreamUnZip: reads single entries out of a ZIP archive held in memory. Used by the open
// pipeline (the result document) and by the report (pictures of the package).
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <zip.h>

namespace rezmira {

/// Extracts named entries of a ZIP archive held in a memory buffer. The archive is read in
/// place: the buffer is not copied, stays owned by the caller, and must neither change nor be
/// destroyed while the archive is open. Nothing is ever written to disk, so entry names such as
/// "../x" or "/etc/x" are just names.
class TStreamUnZip {
public:
    /// The most bytes one entry may inflate to; a larger entry counts as damaged.
    static constexpr qint64 kMaxEntrySize = qint64(512) * 1024 * 1024;

    /// `maxEntrySize` lowers the inflate cap (tests); it is never raised above kMaxEntrySize.
    explicit TStreamUnZip(qint64 maxEntrySize = kMaxEntrySize);
    ~TStreamUnZip();
    TStreamUnZip(const TStreamUnZip &) = delete;
    TStreamUnZip &operator=(const TStreamUnZip &) = delete;

    /// Opens the archive over `source` and reads its directory, closing any archive opened
    /// before. Throws rezmira::Error (an English reason) when `source` is not a readable ZIP
    /// archive; the object then holds no archive.
    void OpenArchive(const QByteArray &source);

    /// Appends the decompressed bytes of the entry whose stored name equals `name`, ignoring
    /// the case of the ASCII letters A–Z (names are compared as raw bytes, as stored) to
    /// `target`. The first such entry in directory order counts. A missing entry, no open
    /// archive, or an entry that cannot be decompressed whole (damaged data or CRC, an
    /// unsupported method, encryption, more bytes than its declared size or than the cap)
    /// leaves `target` untouched and reports nothing. Stored and deflated entries are read.
    void ExtractEntry(QByteArrayView name, QByteArray &target);

    /// Releases the archive; the source buffer is untouched. Safe to call when none is open.
    void CloseArchive();

    bool isOpen() const { return FArchive != nullptr; }

private:
    zip_t *FArchive = nullptr;
    qint64 FMaxEntrySize;
};

} // namespace rezmira
