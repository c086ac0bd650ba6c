// Builds ZIP archives in memory (libzip): for the sample maker, tests and benchmarks. Never shipped.
#pragma once

#include <QByteArray>
#include <QList>

namespace rezmira::tools {

struct ZipEntry {
    QByteArray name; ///< stored as these raw bytes
    QByteArray data;
    bool deflate = true; ///< deflated, else stored
};

/// The bytes of a ZIP archive holding `entries` in order. Throws std::runtime_error when libzip
/// fails.
QByteArray makeZip(const QList<ZipEntry> &entries);

} // namespace rezmira::tools
