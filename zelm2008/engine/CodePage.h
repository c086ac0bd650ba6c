// Single-byte code pages: the trainer keeps every text as byte codes 0–255 in the code page of the
// current language's Charset and converts to Unicode only at the widgets and the command line.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelm {

/// The code page name for a font character-set number: 0 → "windows-1252", 204 → "windows-1251",
/// 238 → "windows-1250", 161 → "windows-1253", 162 → "windows-1254", 186 → "windows-1257".
/// Any other number falls back to "windows-1252".
const char *codePageName(int charset);

/// Decodes single-byte text of the given Charset. Bytes the code page leaves undefined become
/// U+FFFD; never throws.
QString toUnicode(const QByteArray &bytes, int charset);

/// Encodes text into the given Charset. Characters the code page cannot hold become '?'.
QByteArray fromUnicode(const QString &text, int charset);

/// Upper-cases single-byte text character by character in the given Charset: each byte whose
/// character has a one-character upper case inside the same code page is replaced by it; every
/// other byte (digits, signs, CR, LF, letters without such a capital) stays. The length never
/// changes. In windows-1251 the lower-case letters 224–255 become 192–223.
QByteArray upperBytes(const QByteArray &bytes, int charset);

} // namespace zelm
