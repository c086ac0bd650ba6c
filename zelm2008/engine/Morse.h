// The Morse alphabet: the 256-entry code table, the keying lengths derived from it, the character
// sets and the thirteen text types. Used by the generator, the keying run and the trainer's files.
#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>

namespace zelm {

/// Morse codes by single-byte character code: a string of '0' (dot) and '1' (dash), first element
/// first; an empty entry means the character has no code and is never keyed. Any digit other than
/// '0' counts as a dash (codes come from editable files).
using MorseTable = std::array<QByteArray, 256>;

/// Keying length of every character in units: 2 per dot and 4 per dash (each element plus the
/// one-unit gap after it). Entries 0–32 are always 0.
using CodeUnitTable = std::array<std::int16_t, 256>;

/// The built-in base alphabet for codes 0–127 (what latin.typ holds when the program writes it).
/// Codes 128–255 are empty. Period, comma, exclamation mark and both parentheses carry this
/// program's own assignments: "000000", "010101", "110011", "101101".
const MorseTable &builtInBaseAlphabet();

/// Rebuilds the keying lengths from the codes: entries 33–255 from their code strings, 0–32 zero.
/// Sums saturate at the 16-bit range (a hostile file cannot overflow them).
CodeUnitTable rebuildCodeUnits(const MorseTable &codes);

inline constexpr char LatinSet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr char DigitSet[] = "0123456789";
/// Period, comma, question mark, hyphen, double quote, semicolon, equals sign, opening
/// parenthesis, colon, apostrophe, exclamation mark, slash — the order decides which draw picks
/// which symbol.
inline constexpr char SymbolSet[] = ".,?-\";=(:'!/";

/// The built-in national alphabet and opening (the English type file's entries 14 and 15).
inline constexpr char DefaultNationalAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr char DefaultNationalOpening[] = "VVV=";
inline constexpr char LatinOpening[] = "VVV=";

inline constexpr int TextTypeCount = 13;
/// Type 3 ("Number of short Zero") keys the digit zero as a single dash.
inline constexpr int ShortZeroType = 3;
/// Type 12 ("Special") draws from the user's SpecialText.
inline constexpr int SpecialType = 12;

/// The set the given text type draws from (types 0–12; see the type table in the trainer's help):
/// Latin, national, digits, symbols and their mixtures in fixed order, or `special` for type 12.
/// Returns an empty array for a type outside 0–12 (callers keep their previous set then).
QByteArray currentSetFor(int textType, const QByteArray &nationalAlphabet,
                         const QByteArray &special);

/// True for the national types 1, 6, 8 and 11, whose opening line is the language's
/// NationalOpening instead of "VVV=".
bool isNationalType(int textType);

} // namespace zelm
