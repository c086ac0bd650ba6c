// Counting a practice text, the unit length, and the keying timeline.
#include "EngineTestSupport.h"

#include "zelm2008/engine/KeyingRun.h"
#include "zelm2008/engine/TextGenerator.h"

#include <gtest/gtest.h>

#include <map>

using namespace zelm;

namespace {

MorseTable latinCodes() {
    MorseTable t = builtInBaseAlphabet();
    for (int c = 0; c <= 32; ++c)
        t[c].clear();
    return t;
}

QString onOff(const QList<KeyAction> &actions) {
    QStringList parts;
    for (const KeyAction &a : actions)
        if (a.kind == KeyAction::Kind::ToneOn || a.kind == KeyAction::Kind::ToneOff)
            parts << QStringLiteral("%1%2")
                         .arg(QLatin1Char(a.kind == KeyAction::Kind::ToneOn ? '+' : '-'))
                         .arg(a.atMs);
    return parts.join(QLatin1Char(' '));
}

/// Reads a timeline back into text: tone length tells dot from dash, the silence after an element
/// tells element gap (1 unit), character gap (PMZ) and group gap (PMG, a blank).
QByteArray decode(const QList<KeyAction> &actions, int unit, int pmz, int pmg, const MorseTable &codes) {
    std::map<QByteArray, char> byCode;
    for (int c = 255; c >= 33; --c)
        if (!codes[c].isEmpty())
            byCode[codes[c]] = char(c);
    QByteArray text, code;
    qint64 lastOff = -1;
    auto flush = [&] {
        if (!code.isEmpty())
            text += byCode.count(code) ? byCode[code] : '?';
        code.clear();
    };
    for (const KeyAction &a : actions) {
        if (a.kind == KeyAction::Kind::ToneOn && lastOff >= 0) {
            const qint64 gap = (a.atMs - lastOff) / unit;
            if (gap >= pmz)
                flush();
            if (gap >= pmg)
                text += ' ';
        }
        if (a.kind == KeyAction::Kind::ToneOn)
            lastOff = a.atMs; // reused as the key-down time until the key-up
        if (a.kind == KeyAction::Kind::ToneOff) {
            code += (a.atMs - lastOff) / unit == 1 ? '0' : '1';
            lastOff = a.atMs;
        }
    }
    flush();
    return text;
}

} // namespace

TEST(UnitLength, RoundsHalfToEven) {
    EXPECT_EQ(roundHalfEven(250 * 60000, 3193), 4698); // 4697.78
    EXPECT_EQ(unitMsFor(4698, 120), 39);                // 39.15
    const struct {
        int B, speed, unit;
    } cases[] = {{4680, 120, 39}, {4740, 120, 40}, {4860, 120, 40}, {4980, 120, 42},
                 {5, 2, 2},       {7, 2, 4},       {0, 120, 0},     {4698, 0, 4698}};
    for (const auto &c : cases)
        EXPECT_EQ(unitMsFor(c.B, c.speed), c.unit) << c.B << "/" << c.speed;
}

TEST(CountRun, WorkedExampleOf250Characters) {
    // Fifty groups of five B (10 units each): 250 × (10 + 2) + 50 × 4 − 7 = 3193 units.
    QByteArray text;
    for (int g = 1; g <= 50; ++g) {
        text += "BBBBB ";
        if (g % 10 == 0)
            text += "\r\n";
    }
    // The opening line and the end sign on its own line are keyed but not counted.
    const RunCount whole = countRun("VVV=\r\n" + text + "~", "VVV=", rebuildCodeUnits(latinCodes()), 3, 7);
    EXPECT_EQ(whole.count, 250);
    EXPECT_EQ(whole.TotalUnits, 3193);
    EXPECT_EQ(whole.B, 4698);
    EXPECT_EQ(unitMsFor(whole.B, 120), 39);
}

TEST(CountRun, CountedPartAndTextFile) {
    const CodeUnitTable units = rebuildCodeUnits(latinCodes());
    const struct {
        const char *name;
        QByteArray text, opening;
        int s, e, count;
        qint32 total;
        QByteArray keyed;
    } cases[] = {
        {"opening and end line dropped", "VVV=\r\nET \r\n~", "VVV=", 7, 9, 2, 2 + 2 + 4 + 2 + 4 - 7, "ET "},
        {"national opening", "\xC6\xC6\xC6=\r\nE ~", "\xC6\xC6\xC6=", 7, 9, 2, 4 + 4 + 16 - 7, "E ~"},
        {"no opening", "E T ", "VVV=", 1, 4, 2, 4 + 4 + 6 + 4 - 7, "E T "},
        {"no code still counts", "E# ", "VVV=", 1, 3, 2, 4 + 2 + 4 - 7, "E# "},
        {"single character keeps its total", "E", "VVV=", 1, 1, 1, 4, "E"},
        {"blanks only", "   ", "VVV=", 1, 3, 0, 12 - 7, "   "},
        {"empty", "", "VVV=", 1, 0, 0, 0, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const RunCount rc = countRun(c.text, c.opening, units, 3, 7);
        EXPECT_EQ(rc.s, c.s);
        EXPECT_EQ(rc.e, c.e);
        EXPECT_EQ(rc.count, c.count);
        EXPECT_EQ(rc.TotalUnits, c.total);
        EXPECT_EQ(rc.keyedText, c.keyed);
        EXPECT_GE(rc.B, 0);
        if (c.count == 0) {
            EXPECT_EQ(rc.B, 0);
        }
    }
    EXPECT_EQ(countRun("E", "VVV=", units, 3, 7).B, 15000); // 1 × 60000 / 4
}

TEST(KeyingRun, TimelineFollowsTheTimingTable) {
    const MorseTable codes = latinCodes();
    const QByteArray text = "E T\r\nM";
    // B 4800 at 120 per minute: 40 ms a unit. PMZ 3, PMG 7.
    const KeyingView view{text, codes, 120, 3, 7, 0};
    const QList<KeyAction> all = buildTimeline(4800, view);
    EXPECT_EQ(onOff(all), "+0 -40 +320 -440 +560 -680 +720 -840");
    ASSERT_FALSE(all.isEmpty());
    EXPECT_EQ(all.back(), (KeyAction{KeyAction::Kind::End, 960}));
    // Check points: after E (160), after the blank (320), after T (560), between M's elements
    // (720), after M (960).
    QList<qint64> points;
    for (const KeyAction &a : all)
        if (a.kind == KeyAction::Kind::Point)
            points << a.atMs;
    EXPECT_EQ(points, (QList<qint64>{160, 320, 560, 720, 960}));
}

TEST(KeyingRun, ShortZeroOnlyInTypeThree) {
    const MorseTable codes = latinCodes();
    const QByteArray text = "0";
    EXPECT_EQ(onOff(buildTimeline(1200, {text, codes, 120, 3, 7, 3})), "+0 -30");
    EXPECT_EQ(onOff(buildTimeline(1200, {text, codes, 120, 3, 7, 2})),
              "+0 -30 +40 -70 +80 -110 +120 -150 +160 -190");
}

TEST(KeyingRun, BlanksAndBreaksOnlyPlayNothingInNoTime) {
    const MorseTable codes = latinCodes();
    const QByteArray text = "   \r\n  ";
    const QList<KeyAction> all = buildTimeline(0, {text, codes, 120, 3, 7, 0});
    EXPECT_EQ(onOff(all), "");
    EXPECT_EQ(all.back(), (KeyAction{KeyAction::Kind::End, 0}));
}

TEST(KeyingRun, NegativePausesAreZero) {
    const MorseTable codes = latinCodes();
    const QByteArray text = "E E";
    // PMG below PMZ (a hand-edited file): the blank takes no time instead of going back.
    EXPECT_EQ(onOff(buildTimeline(1200, {text, codes, 120, 9, 7, 0})), "+0 -10 +100 -110");
}

TEST(KeyingRun, GeneratedTextReadsBackFromItsTimeline) {
    const MorseTable codes = latinCodes();
    TextGenerator g;
    TextRequest r;
    r.currentSet = QByteArray(LatinSet) + DigitSet;
    r.TextType = 5;
    r.KGT = 23;
    const QByteArray text = g.GenerateText(r);
    const int pmz = 5, pmg = 11;
    const RunCount rc = countRun(text, "VVV=", rebuildCodeUnits(codes), pmz, pmg);
    const int unit = unitMsFor(rc.B, 120);
    ASSERT_GT(unit, 0);
    const QList<KeyAction> all = buildTimeline(rc.B, {text, codes, 120, pmz, pmg, 5});
    EXPECT_EQ(decode(all, unit, pmz, pmg, codes), QByteArray(text).replace("\r\n", ""));
}
