// The delimited-entry rule that every trainer text file (settings, language, type and Morse
// table files, text.txt) is read by, and the matching writer.
#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

namespace zelm {

/// Splits file bytes into entries, one after another:
/// - blanks (space, tab) before an entry are skipped;
/// - an entry that begins with a double quote runs to the next double quote and may hold commas;
///   inside it a doubled quote ("") stands for one quote (what `formatEntry` writes); anything
///   after the closing quote up to the next comma or line end is dropped;
/// - any other entry ends at a comma or at the end of its line, blanks around it dropped;
/// - an empty line is an empty entry; a comma that ends a line starts no further entry.
/// Lines end in CR LF, LF or CR. A quote left open ends at its line end. Never throws.
QList<QByteArray> readEntries(const QByteArray &bytes);

/// Reads a number entry as the trainer does: optional blanks, an optional sign, decimal digits
/// (anything after them is ignored). Returns nothing when the entry starts with no digit or the
/// value does not fit in 32 bits.
std::optional<qint64> entryNumber(const QByteArray &entry);

/// One text entry as a file line (without the line end): the text unchanged, or, when it would
/// not read back whole (it holds a comma or a double quote, or begins or ends with a blank),
/// enclosed in double quotes with inner quotes doubled. A CR or LF inside the text cannot be kept
/// and is written as a blank.
QByteArray formatEntry(const QByteArray &text);

/// Joins lines into file bytes, each followed by CR LF.
QByteArray joinLines(const QList<QByteArray> &lines);

} // namespace zelm
