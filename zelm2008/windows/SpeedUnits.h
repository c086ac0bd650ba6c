// What a speed in characters per minute means in the units other trainers use.
#pragma once

namespace zelm {

/// Equivalent PARIS words per minute of a unit length in milliseconds: 1200 / `unitMs`.
/// Gives 0 for a unit of 0 ms or less (a text without keyed characters).
[[nodiscard]] double ParisWordsPerMinute(int unitMs);

} // namespace zelm
