// The built-in Morse alphabet, the keying lengths derived from it, and the sets of the text types.
#include "zelm2008/engine/Morse.h"

#include <gtest/gtest.h>

#include <map>

using namespace zelm;

namespace {

// The table as the trainer documents it: character → (code, units).
const std::map<char, std::pair<const char *, int>> kTable = {
    {'A', {"01", 6}},      {'B', {"1000", 10}},   {'C', {"1010", 12}},   {'D', {"100", 8}},
    {'E', {"0", 2}},       {'F', {"0010", 10}},   {'G', {"110", 10}},    {'H', {"0000", 8}},
    {'I', {"00", 4}},      {'J', {"0111", 14}},   {'K', {"101", 10}},    {'L', {"0100", 10}},
    {'M', {"11", 8}},      {'N', {"10", 6}},      {'O', {"111", 12}},    {'P', {"0110", 12}},
    {'Q', {"1101", 14}},   {'R', {"010", 8}},     {'S', {"000", 6}},     {'T', {"1", 4}},
    {'U', {"001", 8}},     {'V', {"0001", 10}},   {'W', {"011", 10}},    {'X', {"1001", 12}},
    {'Y', {"1011", 14}},   {'Z', {"1100", 12}},   {'0', {"11111", 20}},  {'1', {"01111", 18}},
    {'2', {"00111", 16}},  {'3', {"00011", 14}},  {'4', {"00001", 12}},  {'5', {"00000", 10}},
    {'6', {"10000", 12}},  {'7', {"11000", 14}},  {'8', {"11100", 16}},  {'9', {"11110", 18}},
    {'!', {"110011", 20}}, {'"', {"010010", 16}}, {'\'', {"011110", 20}}, {'(', {"101101", 20}},
    {')', {"101101", 20}}, {',', {"010101", 18}}, {'-', {"100001", 16}}, {'.', {"000000", 12}},
    {'/', {"10010", 14}},  {':', {"111000", 18}}, {';', {"101010", 18}}, {'=', {"10001", 14}},
    {'?', {"001100", 16}}, {'~', {"01010", 14}},
};

} // namespace

TEST(MorseCodes, BuiltInTableHoldsExactlyTheListedCodesForAll256Characters) {
    const MorseTable &t = builtInBaseAlphabet();
    const CodeUnitTable units = rebuildCodeUnits(t);
    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        char key = char(c);
        if (c >= 'a' && c <= 'z')
            key = char(c - 32); // lower case carries the capital's code
        const auto it = c < 128 ? kTable.find(key) : kTable.end();
        if (it == kTable.end()) {
            EXPECT_TRUE(t[c].isEmpty());
            EXPECT_EQ(units[c], 0);
        } else {
            EXPECT_EQ(t[c], QByteArray(it->second.first));
            EXPECT_EQ(units[c], it->second.second);
        }
    }
}

TEST(MorseCodes, UnusualAssignmentsAreKept) {
    const MorseTable &t = builtInBaseAlphabet();
    EXPECT_EQ(t['.'], "000000");
    EXPECT_EQ(t[','], "010101");
    EXPECT_EQ(t['!'], "110011");
    EXPECT_EQ(t['('], t[')']);
}

TEST(CodeUnits, FollowEditedCodesAndIgnoreControlCodes) {
    MorseTable t{};
    t[10] = "111";        // a control code never counts
    t[200] = "0101";      // a national letter
    t[65] = "2";          // any digit other than 0 is a dash
    t[66] = QByteArray(20000, '1'); // a hostile file saturates instead of overflowing
    const CodeUnitTable u = rebuildCodeUnits(t);
    EXPECT_EQ(u[10], 0);
    EXPECT_EQ(u[200], 12);
    EXPECT_EQ(u[65], 4);
    EXPECT_EQ(u[66], 32767);
}

TEST(TextTypes, SetsAndOpeningsByType) {
    const QByteArray nat = "XYZ", spec = "#Q";
    const QByteArray L = LatinSet, D = DigitSet, S = SymbolSet;
    EXPECT_EQ(S, QByteArray(".,?-\";=(:'!/"));
    const struct {
        int type;
        QByteArray set;
        bool national;
    } cases[] = {
        {0, L, false},           {1, nat, true},          {2, D, false},
        {3, D, false},           {4, S, false},           {5, L + D, false},
        {6, nat + D, true},      {7, L + S, false},       {8, nat + S, true},
        {9, D + S, false},       {10, L + D + S, false},  {11, nat + D + S, true},
        {12, spec, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(currentSetFor(c.type, nat, spec), c.set);
        EXPECT_EQ(isNationalType(c.type), c.national);
    }
    EXPECT_TRUE(currentSetFor(13, nat, spec).isEmpty());
    EXPECT_TRUE(currentSetFor(-1, nat, spec).isEmpty());
}
