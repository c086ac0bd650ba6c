// The delimited-entry rule of the trainer's text files and the matching writer.
#include "zelm2008/engine/Entries.h"

#include <gtest/gtest.h>

using namespace zelm;

TEST(ReadEntries, Rule) {
    const struct {
        const char *name;
        QByteArray bytes;
        QList<QByteArray> entries;
    } cases[] = {
        {"one per line", "a\r\nb\r\n", {"a", "b"}},
        {"blanks around dropped", "  a b  \r\n", {"a b"}},
        {"comma splits", "Hello, world\r\n", {"Hello", "world"}},
        {"quoted keeps comma", "\"Hello, world\"\r\nx\r\n", {"Hello, world", "x"}},
        {"quoted keeps blanks", "\"  a \"\r\n", {"  a "}},
        {"after closing quote dropped", "\"a\" junk, b\r\n", {"a", "b"}},
        {"doubled quote inside", "\"say \"\"hi\"\"\"\r\n", {"say \"hi\""}},
        {"empty lines are entries", "\r\n\r\nz\r\n", {"", "", "z"}},
        {"LF and CR line ends", "a\nb\rc", {"a", "b", "c"}},
        {"comma at line end ends the line", "a,\r\nb\r\n", {"a", "b"}},
        {"open quote ends at line end", "\"abc\r\nd\r\n", {"abc", "d"}},
        {"trailing opening blank", "VVV= \r\n", {"VVV="}},
        {"bytes above 127 kept", "\xC0\xE1\r\n", {"\xC0\xE1"}},
        {"nothing", "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readEntries(c.bytes), c.entries);
    }
}

TEST(EntryNumber, LeadingDecimalOrNothing) {
    EXPECT_EQ(entryNumber("204"), 204);
    EXPECT_EQ(entryNumber("204 Cyrillic"), 204);
    EXPECT_EQ(entryNumber("-12"), -12);
    EXPECT_EQ(entryNumber(" 7"), 7);
    EXPECT_EQ(entryNumber("x1"), std::nullopt);
    EXPECT_EQ(entryNumber(""), std::nullopt);
    EXPECT_EQ(entryNumber("99999999999"), std::nullopt);
}

TEST(FormatEntry, EveryTextReadsBackWhole) {
    const QByteArray texts[] = {"ABC123", "A,B", "say \"hi\"", "\"", ",", " lead", "trail ",
                                "", "#~\xC0", "a\"\",\"b"};
    for (const QByteArray &t : texts) {
        SCOPED_TRACE(t.toStdString());
        const QByteArray file = joinLines({formatEntry(t), "next"});
        EXPECT_EQ(readEntries(file), (QList<QByteArray>{t, "next"}));
    }
    EXPECT_EQ(formatEntry("ABC123"), "ABC123"); // plain texts stay unquoted
}
