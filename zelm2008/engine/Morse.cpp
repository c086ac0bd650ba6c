#include "zelm2008/engine/Morse.h"

#include <algorithm>
#include <limits>

namespace zelm {

namespace {

MorseTable makeBaseAlphabet() {
    MorseTable t;
    struct Entry {
        char c;
        const char *code;
    };
    static constexpr Entry entries[] = {
        {'A', "01"},     {'B', "1000"},   {'C', "1010"},   {'D', "100"},    {'E', "0"},
        {'F', "0010"},   {'G', "110"},    {'H', "0000"},   {'I', "00"},     {'J', "0111"},
        {'K', "101"},    {'L', "0100"},   {'M', "11"},     {'N', "10"},     {'O', "111"},
        {'P', "0110"},   {'Q', "1101"},   {'R', "010"},    {'S', "000"},    {'T', "1"},
        {'U', "001"},    {'V', "0001"},   {'W', "011"},    {'X', "1001"},   {'Y', "1011"},
        {'Z', "1100"},   {'0', "11111"},  {'1', "01111"},  {'2', "00111"},  {'3', "00011"},
        {'4', "00001"},  {'5', "00000"},  {'6', "10000"},  {'7', "11000"},  {'8', "11100"},
        {'9', "11110"},  {'!', "110011"}, {'"', "010010"}, {'\'', "011110"}, {'(', "101101"},
        {')', "101101"}, {',', "010101"}, {'-', "100001"}, {'.', "000000"}, {'/', "10010"},
        {':', "111000"}, {';', "101010"}, {'=', "10001"},  {'?', "001100"}, {'~', "01010"},
    };
    for (const Entry &e : entries) {
        t[static_cast<unsigned char>(e.c)] = QByteArray(e.code);
        if (e.c >= 'A' && e.c <= 'Z')
            t[static_cast<unsigned char>(e.c - 'A' + 'a')] = QByteArray(e.code);
    }
    return t;
}

} // namespace

const MorseTable &builtInBaseAlphabet() {
    static const MorseTable table = makeBaseAlphabet();
    return table;
}

CodeUnitTable rebuildCodeUnits(const MorseTable &codes) {
    CodeUnitTable units{};
    for (int c = 33; c < 256; ++c) {
        int sum = 0;
        for (char digit : codes[c])
            sum = std::min(sum + (digit == '0' ? 2 : 4), int(std::numeric_limits<std::int16_t>::max()));
        units[c] = static_cast<std::int16_t>(sum);
    }
    return units;
}

QByteArray currentSetFor(int textType, const QByteArray &nationalAlphabet,
                         const QByteArray &special) {
    const QByteArray latin(LatinSet), digits(DigitSet), symbols(SymbolSet);
    switch (textType) {
    case 0: return latin;
    case 1: return nationalAlphabet;
    case 2:
    case 3: return digits;
    case 4: return symbols;
    case 5: return latin + digits;
    case 6: return nationalAlphabet + digits;
    case 7: return latin + symbols;
    case 8: return nationalAlphabet + symbols;
    case 9: return digits + symbols;
    case 10: return latin + digits + symbols;
    case 11: return nationalAlphabet + digits + symbols;
    case 12: return special;
    default: return {};
    }
}

bool isNationalType(int textType) {
    return textType == 1 || textType == 6 || textType == 8 || textType == 11;
}

} // namespace zelm
