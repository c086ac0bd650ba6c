// The keying run as data: which part of the practice text is counted, the unit length worked out
// from the text itself, and the key-down/key-up timeline walked one check point at a time.
#pragma once

#include "zelm2008/engine/Morse.h"

#include <QByteArray>
#include <QList>

namespace zelm {

/// What the counting before a run finds (positions are 1-based, as in the text box).
struct RunCount {
    int s = 1;          ///< first counted position: 7 after a four-character opening and CR LF
    int e = 0;          ///< last counted position: the length, or length − 3 before CR LF "~"
    qint32 TotalUnits = 0; ///< counted units, the pause after the last group already removed
    int count = 0;      ///< keyable characters counted (every character but blank, CR, LF)
    int B = 0;          ///< unit length in ms at one character per minute, fixed for the run
    QByteArray keyedText; ///< characters s…e: what text.txt holds before its CR LF
};

/// Round-half-to-even of num / den for den > 0 (num ≥ 0 expected; negative values round the
/// same way symmetrically).
qint64 roundHalfEven(qint64 num, qint64 den);

/// Counts a practice text for a run. `practiceText` is taken as it is (already upper-cased).
/// s is 7 when the first four characters equal "VVV=" or `nationalOpening`, else 1; e drops a
/// final CR LF "~". Each blank adds PMG − PMZ, CR and LF add nothing, any other character adds
/// CodeUnits + PMZ − 1 and counts as one (also without a code). Then PMG is subtracted, except
/// when that would leave no positive total; B = round-half-even(count × 60000 / TotalUnits), and
/// B is 0 when the count is 0 or the total is still not positive — so no pause is ever negative
/// or endless.
RunCount countRun(const QByteArray &practiceText, const QByteArray &nationalOpening,
                  const CodeUnitTable &codeUnits, int PMZ, int PMG);

/// The unit length for a character: round-half-even(B / speed) ms; speed below 1 is taken as 1.
int unitMsFor(int B, int speed);

/// The values a run reads while it goes on. The player hands in the trainer's live values at each
/// check point; an offline render hands in constant ones.
struct KeyingView {
    const QByteArray &PracticeText; ///< the current text, re-read before each character
    const MorseTable &MorseCodes;
    int Speed = 120;  ///< read before each character
    int PMZ = 3;      ///< read where a pause after a character is laid down
    int PMG = 7;      ///< read where a group pause is laid down
    int TextType = 0; ///< type 3 keys the zero ("11111") as a single dash
};

/// One step of the run's timeline. Times are ms since the start of the run (whole ms).
struct KeyAction {
    enum class Kind {
        ToneOn,  ///< key down: the tone starts at `atMs` from the image's first sample
        ToneOff, ///< key up at `atMs`
        Point,   ///< a check point at `atMs`: before a character or before an element
        End,     ///< the run is over at `atMs`
    };
    Kind kind;
    qint64 atMs;
    friend bool operator==(const KeyAction &, const KeyAction &) = default;
};

/// The run's state machine. Starting at position 1 and time 0, each `advance` reads the view,
/// lays down the actions up to and including the next check point (or the end), and moves the
/// time on. Between check points nothing is re-read, so a change of Speed, PMZ, PMG, TextType or
/// PracticeText acts from the next character or element, exactly where the run checks Stop.
///
/// Timing per character (u = UnitMs of that character): a blank pauses u × (PMG − PMZ); a
/// character with a code keys each element as tone u (dot) or 3u (dash) followed by u of silence,
/// and after its last element pauses u × (PMZ − 1); CR, LF and characters without a code take no
/// time. Negative pause lengths are taken as 0. The run never reads past the end of the text as it
/// stands at each character.
class KeyingRun {
public:
    explicit KeyingRun(int B) : m_B(B) {}

    /// The actions from the current check point to the next one. Call it only at a check point
    /// (after Stop was found clear). The last list of a run ends with an End action.
    QList<KeyAction> advance(const KeyingView &view);

    bool finished() const { return m_finished; }
    qint64 timeMs() const { return m_timeMs; }
    /// The 1-based position of the character being keyed (or next to key).
    int position() const { return m_position; }
    int B() const { return m_B; }
    /// The unit length of the character being keyed (0 before the first).
    int unitMs() const { return m_unitMs; }

private:
    int m_B = 0;
    int m_position = 1;   // next character to take when m_code is exhausted
    QByteArray m_code;    // remaining elements of the current character
    int m_unitMs = 0;
    qint64 m_timeMs = 0;
    bool m_finished = false;
};

/// The whole timeline of a run whose inputs stay as given: the concatenated actions of every
/// `advance` (check points included). Used by the offline WAV render and by tests.
QList<KeyAction> buildTimeline(int B, const KeyingView &view);

} // namespace zelm
