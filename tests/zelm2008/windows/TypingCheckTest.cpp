// The input window's positional typing check, its reference text and its result summary.
#include "zelm2008/windows/TypingCheck.h"
#include "zelm2008/windows/LearnerTexts.h"
#include "zelm2008/windows/SpeedUnits.h"

#include <gtest/gtest.h>

using zelm::KeyVerdict;
using zelm::ReferenceFromKeyedText;
using zelm::TypingCheck;

namespace {

/// Types `keys` into a simulated box that appends at the end: what the box then shows.
QByteArray typeInto(TypingCheck &check, const QByteArray &keys) {
    QByteArray box;
    for (char c : keys) {
        const KeyVerdict v = check.Judge(static_cast<unsigned char>(c));
        switch (v.action) {
        case KeyVerdict::Action::Insert:
            box += static_cast<char>(v.key);
            break;
        case KeyVerdict::Action::Pass:
            if (v.key == 8)
                box.chop(1);
            else
                box += static_cast<char>(v.key);
            break;
        case KeyVerdict::Action::Discard:
            break;
        }
    }
    return box;
}

} // namespace

TEST(ReferenceFromKeyedText, OneBlankAfterEachGroupAcrossLineEnds) {
    struct Case {
        const char *name;
        QByteArray keyed;
        QByteArray reference;
    };
    const Case cases[] = {
        {"two lines", "ABCDE FGHIJ \r\nKLMNO \r\n", "ABCDE FGHIJ KLMNO "},
        {"end sign on the last line", "AB CD \r\nEF ~\r\n", "AB CD EF ~ "},
        {"empty line gives one blank", "AB \r\n\r\nCD \r\n", "AB  CD "},
        {"only a line end", "\r\n", " "},
        {"surrounding blanks dropped", "   AB  CD   \r\n", "AB  CD "},
        {"LF without CR", "AB \nCD \n", "AB CD "},
        {"last line without line end", "AB \r\nCD", "AB CD "},
        {"symbols kept whole", ".,?-\" ;=(:' !/., \r\n", ".,?-\" ;=(:' !/., "},
        {"leading double quote kept", "\"AB\" CD, \r\n", "\"AB\" CD, "},
        {"empty file", "", ""},
        {"Cyrillic bytes untouched", "\xC0\xC1\xC2 \xDF \r\n", "\xC0\xC1\xC2 \xDF "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReferenceFromKeyedText(c.keyed), c.reference);
    }
}

TEST(TypingCheck, JudgesEachKeyAgainstTheNextExpectedCharacter) {
    struct Case {
        const char *name;
        QByteArray reference;
        QByteArray keys;
        QByteArray box;
        int typePos;
    };
    const Case cases[] = {
        {"correct text across a line end shows no underscore", "ABCDE FGHIJ KLMNO ",
         "ABCDE FGHIJ KLMNO", "ABCDE FGHIJ KLMNO", 18},
        {"lower case becomes capitals", "ABC DEF ", "abc def", "ABC DEF", 8},
        {"wrong letter shows _ and moves on", "ABC DEF ", "AXC", "A_C", 4},
        {"missing blank shows _ in its place", "ABC DEF ", "ABCD", "ABC_", 5},
        {"Backspace at the first position keeps TypePos 1", "ABC ", "\b\b\bAB", "AB", 3},
        {"Backspace steps back so the character can be typed again", "ABC ", "AX\bB", "AB", 3},
        {"the last blank is never entered", "AB ", "AB  Q", "AB", 3},
        {"Enter passes and does not move TypePos", "AB CD ", "AB\r C", "AB\r C", 5},
        {"national lower-case letters become capitals", "\xC0\xC1 ", "\xE0\xE1", "\xC0\xC1", 3},
        {"the code 255 becomes 223", "\xDF ", "\xFF", "\xDF", 2},
        {"symbols are checked like letters", ",\". ", ",\"?", ",\"_", 4},
        {"an empty reference takes nothing", "", "AB", "", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TypingCheck check;
        check.Load(c.reference);
        EXPECT_EQ(typeInto(check, c.keys), c.box);
        EXPECT_EQ(check.TypePos(), c.typePos);
    }
}

TEST(TypingCheck, LoadStartsAgainFromTheFirstCharacter) {
    TypingCheck check;
    check.Load("AB CD ");
    typeInto(check, "AB C");
    check.Load("AB CD ");
    EXPECT_EQ(check.TypePos(), 1);
    EXPECT_EQ(typeInto(check, "A"), "A");
    EXPECT_EQ(check.Result().typed, 1);
}

TEST(TypingCheck, ResultCountsTypedErrorsAndMissedCharacters) {
    TypingCheck check;
    check.Load("QQY AB QY ");
    EXPECT_EQ(check.Result().percentCorrect(), -1);
    typeInto(check, "QXX AB XZ");
    const zelm::TypingResult r = check.Result();
    EXPECT_EQ(r.characters, 7);
    EXPECT_EQ(r.typed, 7);
    EXPECT_EQ(r.errors, 4);
    EXPECT_EQ(r.correct, 3);
    EXPECT_EQ(r.percentCorrect(), 42); // 3 of 7, rounded down
    const std::vector<std::pair<unsigned char, int>> missed{{'Q', 2}, {'Y', 2}};
    EXPECT_EQ(r.missed, missed);
}

TEST(TypingCheck, ResultFollowsBackspaceAndCountsAWrongBlank) {
    TypingCheck check;
    check.Load("AB CD ");
    typeInto(check, "AX\bB"); // the error is taken back
    zelm::TypingResult r = check.Result();
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.typed, 2);
    EXPECT_EQ(r.percentCorrect(), 100);

    typeInto(check, "C"); // a letter where the blank belongs
    r = check.Result();
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.typed, 2);
    EXPECT_EQ(r.percentCorrect(), 50);
    EXPECT_TRUE(r.missed.empty());
}

TEST(LearnerTexts, UnitLengthAndResultInBothLanguages) {
    using zelm::AidLanguage;
    EXPECT_EQ(zelm::AidLanguageFor(204), AidLanguage::Russian);
    EXPECT_EQ(zelm::AidLanguageFor(0), AidLanguage::English);
    EXPECT_EQ(zelm::ParisWordsPerMinute(40), 30.0);
    EXPECT_EQ(zelm::UnitInfoText(39, AidLanguage::English), QStringLiteral("39 ms = 31 WPM"));
    EXPECT_EQ(zelm::UnitInfoText(16, AidLanguage::Russian), QStringLiteral("16 мс = 75 WPM"));
    EXPECT_EQ(zelm::UnitInfoText(0, AidLanguage::English), QStringLiteral("—"));

    TypingCheck check;
    check.Load("QQY AB ");
    EXPECT_TRUE(zelm::ResultText(check.Result(), AidLanguage::English).isEmpty());
    typeInto(check, "QXX A");
    const auto decode = [](unsigned char c) { return QString(QChar(c)); };
    EXPECT_EQ(zelm::ResultText(check.Result(), AidLanguage::English),
              QStringLiteral("Typed 4 · errors 2 · 50 % correct"));
    EXPECT_EQ(zelm::ResultText(check.Result(), AidLanguage::Russian),
              QStringLiteral("Принято 4 · ошибок 2 · верно 50 %"));
    EXPECT_EQ(zelm::MissedText(check.Result(), AidLanguage::English, decode),
              QStringLiteral("Missed: Q 1, Y 1"));
    EXPECT_EQ(zelm::MissedText(check.Result(), AidLanguage::Russian, decode, 1),
              QStringLiteral("Ошибки: Q 1"));
}
