// The input window's positional typing check and its result summary, on single-byte codes.
// Widget-free: frmInput converts keys to byte codes of the language's code page and back.
#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

namespace zelm {

/// Builds the input window's `ReferenceText` from the bytes of text.txt: every line (ended by
/// LF, a CR before it dropped) becomes one entry with its surrounding blanks removed, followed
/// by one blank. So the keyed groups stand with exactly one blank after each group, a line end
/// counts as the blank after the line's last group, and an empty line gives one blank.
/// A line is never split at a comma nor cut at a double quote: the symbol texts hold both and
/// must be checkable as keyed. Bytes after the last LF form a last line when not empty.
/// An empty input gives an empty reference.
[[nodiscard]] QByteArray ReferenceFromKeyedText(const QByteArray &keyedText);

/// What the box does with one key press after the check.
struct KeyVerdict {
    enum class Action {
        Insert,  ///< insert `key` (possibly upper-cased, or "_" for a wrong character)
        Discard, ///< insert nothing (the key after the last position)
        Pass,    ///< not a judged key (Backspace, Enter, control keys): the box handles it as usual
    };
    Action action = Action::Pass;
    unsigned char key = 0;

    friend bool operator==(const KeyVerdict &, const KeyVerdict &) = default;
};

/// The summary a learner sees after a run. A blank is not a character: typed and correct count
/// only positions of non-blank characters, while errors count every "_" shown, a wrong key at
/// a blank's place included.
struct TypingResult {
    int characters = 0; ///< non-blank characters of the reference
    int typed = 0;      ///< of those, how many hold a typed key now
    int errors = 0;     ///< keys shown as "_" (Backspace takes one back)
    int correct = 0;    ///< non-blank characters typed right
    /// The expected characters that drew wrong keys, with how many each: most first, equal
    /// counts in code order. Blanks are not listed.
    std::vector<std::pair<unsigned char, int>> missed;

    /// Per cent of the typed characters that are right, each error costing one: 0–100, rounded
    /// down (100 only without errors); -1 when nothing is typed yet.
    [[nodiscard]] int percentCorrect() const;
};

/// The positional check: every key press is judged against the next expected character of
/// `ReferenceText`, whatever the caret position in the box.
class TypingCheck {
public:
    /// Takes a new reference and sets `TypePos` to 1. The record of typed keys starts afresh.
    void Load(QByteArray referenceText);

    /// Judges one key press with byte code `k`:
    /// - a–z (97–122) and the national lower-case letters 224–255 become capitals (k − 32);
    /// - Backspace (8) moves `TypePos` back by one, never below 1, and passes;
    /// - 32–255 is compared with the character at `TypePos`: a differing key becomes "_", and
    ///   `TypePos` moves on; past the last position it stays at the last and the key is
    ///   discarded, so the reference's last character (a blank) is never entered;
    /// - every other code passes and leaves `TypePos` where it is.
    /// With an empty reference every judged key is discarded.
    KeyVerdict Judge(unsigned char k);

    [[nodiscard]] const QByteArray &ReferenceText() const { return m_reference; }
    /// 1-based position of the next expected character.
    [[nodiscard]] int TypePos() const { return m_typePos; }
    [[nodiscard]] TypingResult Result() const;

private:
    QByteArray m_reference;
    int m_typePos = 1;
    /// Per 0-based position: 0 = nothing typed there, 1 = right, 2 = wrong.
    std::vector<unsigned char> m_marks;
};

} // namespace zelm
