// The two Cyrillic single-byte code pages met in old packages and content: CP866 and Windows-1251.
#pragma once

#include <QByteArray>
#include <QString>

namespace rezmira {

/// `bytes` read as CP866 (DOS Cyrillic). Bytes below 128 are ASCII.
QString DecodeCp866(const QByteArray &bytes);

/// `bytes` read as Windows-1251. Bytes below 128 are ASCII; the one unassigned byte 0x98 keeps
/// its code (U+0098).
QString DecodeCp1251(const QByteArray &bytes);

} // namespace rezmira
