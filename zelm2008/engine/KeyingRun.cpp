#include "zelm2008/engine/KeyingRun.h"

#include <algorithm>
#include <limits>

namespace zelm {

qint64 roundHalfEven(qint64 num, qint64 den) {
    if (den <= 0)
        return 0;
    const bool negative = num < 0;
    const qint64 a = negative ? -num : num;
    qint64 q = a / den;
    const qint64 r = a % den;
    if (2 * r > den || (2 * r == den && (q & 1)))
        ++q;
    return negative ? -q : q;
}

RunCount countRun(const QByteArray &text, const QByteArray &nationalOpening,
                  const CodeUnitTable &codeUnits, int PMZ, int PMG) {
    RunCount rc;
    const QByteArray first4 = text.left(4);
    if (text.size() >= 4 && (first4 == "VVV=" || first4 == nationalOpening))
        rc.s = 7;
    rc.e = int(text.size());
    if (text.endsWith("\r\n~"))
        rc.e -= 3;
    qint64 total = 0;
    for (int pos = rc.s; pos <= rc.e; ++pos) {
        const auto c = static_cast<unsigned char>(text[pos - 1]);
        if (c == ' ')
            total += PMG - PMZ;
        else if (c == '\r' || c == '\n')
            continue;
        else {
            total += codeUnits[c] + PMZ - 1;
            ++rc.count;
        }
    }
    if (rc.s <= rc.e)
        rc.keyedText = text.mid(rc.s - 1, rc.e - rc.s + 1);
    // The pause after the last group is not part of the text; but a text too short to have one
    // (a single character without a blank) keeps its total rather than going to zero or below.
    if (total - PMG > 0)
        total -= PMG;
    total = std::clamp<qint64>(total, std::numeric_limits<qint32>::min(),
                               std::numeric_limits<qint32>::max());
    rc.TotalUnits = qint32(total);
    if (rc.count > 0 && rc.TotalUnits > 0)
        rc.B = int(std::min<qint64>(roundHalfEven(qint64(rc.count) * 60000, rc.TotalUnits),
                                    std::numeric_limits<int>::max()));
    return rc;
}

int unitMsFor(int B, int speed) { return int(roundHalfEven(B, std::max(speed, 1))); }

QList<KeyAction> KeyingRun::advance(const KeyingView &view) {
    QList<KeyAction> actions;
    if (m_finished)
        return actions;
    auto pause = [this](qint64 units) { m_timeMs += std::max<qint64>(0, units) * m_unitMs; };
    while (m_code.isEmpty()) {
        // A check point before a character.
        if (m_position > view.PracticeText.size()) {
            m_finished = true;
            actions.append({KeyAction::Kind::End, m_timeMs});
            return actions;
        }
        m_unitMs = unitMsFor(m_B, view.Speed);
        const auto c = static_cast<unsigned char>(view.PracticeText[m_position - 1]);
        ++m_position;
        if (c == ' ') {
            pause(view.PMG - view.PMZ);
            actions.append({KeyAction::Kind::Point, m_timeMs});
            return actions;
        }
        m_code = view.MorseCodes[c];
        if (view.TextType == ShortZeroType && m_code == "11111")
            m_code = "1";
        // CR, LF and characters without a code: no sound, no pause; on to the next character.
    }
    // A check point before an element.
    const char element = m_code.front();
    m_code.remove(0, 1);
    actions.append({KeyAction::Kind::ToneOn, m_timeMs});
    pause(element == '0' ? 1 : 3);
    actions.append({KeyAction::Kind::ToneOff, m_timeMs});
    pause(1);
    if (m_code.isEmpty())
        pause(view.PMZ - 1);
    actions.append({KeyAction::Kind::Point, m_timeMs});
    return actions;
}

QList<KeyAction> buildTimeline(int B, const KeyingView &view) {
    KeyingRun run(B);
    QList<KeyAction> all;
    while (!run.finished())
        all.append(run.advance(view));
    return all;
}

} // namespace zelm
