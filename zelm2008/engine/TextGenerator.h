// The practice-text generator: random groups drawn from the current set, reproducible from the
// text number on every build and platform.
#pragma once

#include <QByteArray>

#include <random>

namespace zelm {

/// What shapes one practice text.
struct TextRequest {
    QByteArray currentSet;        ///< the set to draw from (may be empty: blanks and breaks only)
    int TextNumber = 2009;        ///< 1–9999 reseeds; 0 continues the generator's current state
    int KZG = 5;                  ///< symbols per group, ≥ 1
    int KGT = 50;                 ///< groups per text, ≥ 1
    int TextType = 0;             ///< decides the opening: national types use `nationalOpening`
    bool SendVVV = true;          ///< put the opening line and CR LF in front
    bool SendAR = true;           ///< append "~" at the very end
    QByteArray nationalOpening = "VVV=";
};

/// Builds practice texts. The generator is a 32-bit Mersenne Twister (std::mt19937, fully
/// specified by the C++ standard); a draw r is its next output divided by 2^32, and the symbol
/// index is floor(N × r) over a set of N characters. No standard distribution is used, so one text
/// number gives the same text everywhere, forever.
class TextGenerator {
public:
    /// Seeds from std::random_device, so text number 0 is a fresh random text.
    TextGenerator();

    /// Builds the practice text: KGT groups of KZG symbols, one draw per symbol in text order,
    /// one blank after each group, CR LF after every 10th group (KZG ≤ 5) or 5th group (KZG ≥ 6);
    /// then the opening ("VVV=" or the national opening) and CR LF in front when SendVVV, and "~"
    /// at the very end when SendAR. KZG and KGT below 1 are taken as 1.
    QByteArray GenerateText(const TextRequest &request);

    /// Reseeds as a text number does (exposed for tests and tools).
    void seed(std::uint32_t value) { m_engine.seed(value); }

private:
    std::mt19937 m_engine;
};

} // namespace zelm
