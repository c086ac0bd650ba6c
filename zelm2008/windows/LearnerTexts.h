// The texts of the learner aids that the language files do not carry (the unit length next to
// the speed, the result after a run), built in for English and Russian.
#pragma once

#include "zelm2008/windows/TypingCheck.h"

#include <QString>

#include <functional>

namespace zelm {

/// Which built-in wording the learner aids use: Russian for the Cyrillic character set (204),
/// English for every other.
enum class AidLanguage { English, Russian };
[[nodiscard]] AidLanguage AidLanguageFor(int charset);

/// "39 ms = 31 WPM" (Russian "39 мс = 31 WPM"): the unit length and its PARIS words per minute,
/// rounded to whole words. A unit of 0 ms or less (nothing to key) shows as "—".
[[nodiscard]] QString UnitInfoText(int unitMs, AidLanguage language);

/// The result line: "Typed 48 · errors 3 · 93 % correct"; empty when nothing has been typed.
[[nodiscard]] QString ResultText(const TypingResult &result, AidLanguage language);

/// The characters missed most, at most `limit` of them: "Missed: Q 2, Y 1"; empty when none.
/// `decode` turns one byte code of the current code page into its character.
[[nodiscard]] QString MissedText(const TypingResult &result, AidLanguage language,
                                 const std::function<QString(unsigned char)> &decode,
                                 int limit = 6);

} // namespace zelm
