// The trainer's files: first start, settings, language and type files, the base Morse table,
// the tone file, the platform check, and a Russian language end to end.
#include "EngineTestSupport.h"
#include "tests/support/TestSupport.h"

#include "zelm2008/engine/CodePage.h"
#include "zelm2008/engine/Entries.h"
#include "zelm2008/engine/SingleInstance.h"
#include "zelm2008/engine/Trainer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace zelm;
using testsupport::readAll;

namespace {

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

int lineCount(const QByteArray &b) { return int(b.count("\r\n")); }

QStringList filesIn(const QString &dir) {
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

void copyShipped(const QString &name, const QString &dir) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZELM_RESOURCES_DIR "/") + name, QDir(dir).filePath(name)));
}

} // namespace

TEST(StartUp, FirstStartCreatesTheFilesInOrderWithDefaults) {
    QTemporaryDir dir;
    Trainer t(dir.path());
    t.loadLanguageList();
    EXPECT_EQ(filesIn(dir.path()), QStringList{"en.lng"});
    t.loadSettingsFile();
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"ZELM_2008.ini", "en.lng"}));
    t.LoadLanguage();
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"ZELM_2008.ini", "en.lng", "en.typ"}));
    t.prepareTone();
    EXPECT_EQ(filesIn(dir.path()), (QStringList{"ZELM_2008.ini", "en.lng", "en.typ", "signal.wav"}));
    t.loadBaseAlphabet();
    EXPECT_EQ(filesIn(dir.path()),
              (QStringList{"ZELM_2008.ini", "en.lng", "en.typ", "latin.typ", "signal.wav"}));

    EXPECT_EQ(lineCount(readAll(t.filePath("en.lng"))), 45);
    EXPECT_EQ(readAll(t.filePath("ZELM_2008.ini")),
              "en.lng\r\n3630\r\n2130\r\n2009\r\n120\r\nABC123\r\n0\r\n0\r\n1\r\n1\r\n750\r\n3\r\n7\r\n5\r\n50\r\n");
    const QByteArray typ = readAll(t.filePath("en.typ"));
    EXPECT_EQ(lineCount(typ), 143);
    EXPECT_TRUE(typ.contains("\r\nABCDEFGHIJKLMNOPQRSTUVWXYZ\r\nVVV= \r\n\r\n"));
    EXPECT_EQ(readAll(t.filePath("signal.wav")), ToneImage::builtIn().bytes());
    const QByteArray latin = readAll(t.filePath("latin.typ"));
    EXPECT_EQ(lineCount(latin), 128);
    EXPECT_EQ(readEntries(latin).mid(65, 2), (QList<QByteArray>{"01", "1000"}));

    EXPECT_EQ(t.caption(22), "Start");
    EXPECT_EQ(t.Charset, 0);
    EXPECT_EQ(t.NationalOpening, "VVV=");
    EXPECT_EQ(t.settings.TextNumber, 2009);
    EXPECT_EQ(t.settings.Speed, 120);
    EXPECT_EQ(t.settings.Frequency, 750);
    EXPECT_EQ(t.settings.PMZ, 3);
    EXPECT_EQ(t.settings.PMG, 7);
    EXPECT_EQ(t.settings.KZG, 5);
    EXPECT_EQ(t.settings.KGT, 50);
    EXPECT_EQ(t.MorseCodes['E'], "0");
    EXPECT_TRUE(t.MorseCodes[' '].isEmpty());
}

TEST(StartUp, SecondStartRewritesNothingAndTakesEditedFilesAsFound) {
    QTemporaryDir dir;
    { Trainer(dir.path()).startUp(6); }
    writeBytes(dir.filePath("signal.wav"), "not a wave"); // taken unchecked, never rewritten
    QByteArray latin = readAll(dir.filePath("latin.typ"));
    QList<QByteArray> codes = readEntries(latin);
    codes[69] = "111"; // E edited
    writeBytes(dir.filePath("latin.typ"), joinLines(codes));
    Trainer t(dir.path());
    EXPECT_EQ(t.startUp(6), PlatformVerdict::Supported);
    EXPECT_EQ(readAll(dir.filePath("signal.wav")), "not a wave");
    EXPECT_FALSE(t.toneImage.samples().playable);
    EXPECT_EQ(t.MorseCodes['E'], "111");
    EXPECT_EQ(t.CodeUnits['E'], 12);
    // Deleting latin.typ restores the built-in table next time.
    QFile::remove(dir.filePath("latin.typ"));
    Trainer again(dir.path());
    again.startUp(6);
    EXPECT_EQ(again.MorseCodes['E'], "0");
}

TEST(Languages, RussianWithoutEnglishGetsEnglishAppendedAndIsUsedWhenNamed) {
    QTemporaryDir dir;
    copyShipped("ru.lng", dir.path());
    copyShipped("ru.typ", dir.path());
    writeBytes(dir.filePath("ZELM_2008.ini"), "ru.lng\r\n");
    Trainer t(dir.path());
    t.startUp(6);
    ASSERT_EQ(t.Languages.size(), 2);
    EXPECT_EQ(t.Languages[0].fileName, "ru.lng");
    EXPECT_EQ(t.Languages[1].fileName, "en.lng");
    EXPECT_EQ(t.EnglishIndex, 1);
    EXPECT_EQ(t.LanguageIndex, 0);
    EXPECT_EQ(t.languageDisplayName(0), QStringLiteral("Русский"));
    EXPECT_EQ(t.languageDisplayName(1), QStringLiteral("English"));
    EXPECT_EQ(t.Charset, 204);
    EXPECT_EQ(t.caption(22), QStringLiteral("Пуск"));
    EXPECT_EQ(t.text(t.TypeNames[1]), QStringLiteral("Русский"));
    EXPECT_EQ(t.text(t.NationalOpening), QStringLiteral("ЖЖЖ="));
    EXPECT_EQ(t.typeFileName(), "ru.typ");
    EXPECT_EQ(t.helpFileName(), "ReadMe.ru.txt");
    EXPECT_EQ(t.MorseCodes[0xC6], "0001"); // Ж
    EXPECT_EQ(t.MorseCodes[0xE6], "0001"); // ж
    // The missing short settings entries took their defaults.
    EXPECT_EQ(t.settings.Speed, 120);
    EXPECT_EQ(t.settings.SpecialText, "ABC123");
}

TEST(Languages, RussianTextIsGeneratedCountedAndKeyed) {
    QTemporaryDir dir;
    copyShipped("ru.lng", dir.path());
    copyShipped("ru.typ", dir.path());
    writeBytes(dir.filePath("ZELM_2008.ini"), "ru.lng\r\n");
    Trainer t(dir.path());
    t.startUp(6);
    t.settings.KGT = 10;
    t.chooseSet(1);
    const QString shown = t.text(t.PracticeText);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("ЖЖЖ=\r\n")));
    for (QChar c : shown.mid(6, 59))
        EXPECT_TRUE(c == QLatin1Char(' ') || (c >= QChar(0x410) && c <= QChar(0x42F))) << int(c.unicode());
    // Lower-case Cyrillic typed into the box is keyed as capitals.
    t.PracticeText = t.bytes(QStringLiteral("жжж=\r\nабв ~"));
    const RunCount rc = t.prepareKeyText();
    EXPECT_EQ(t.text(t.PracticeText), QStringLiteral("ЖЖЖ=\r\nАБВ ~"));
    EXPECT_EQ(rc.s, 7);
    EXPECT_EQ(rc.count, 4);
    EXPECT_EQ(readAll(t.filePath("text.txt")), "\xC0\xC1\xC2 ~\r\n");
    // А 01, Б 1000, В 011, ~ 01010: 6 + 10 + 10 + 14 units, + 4 × (PMZ − 1), + blank 4, − PMG.
    EXPECT_EQ(rc.TotalUnits, 45);
    int tones = 0;
    for (const KeyAction &a : buildTimeline(rc.B, t.keyingView()))
        tones += a.kind == KeyAction::Kind::ToneOn;
    EXPECT_EQ(tones, 3 * 4 + 5 + 2 + 4 + 3 + 5); // Ж Ж Ж = then А Б В ~
}

TEST(Languages, UpperCaseFollowsTheCodePage) {
    EXPECT_EQ(upperBytes("abc \xE0\xFF\xB8#", 204), "ABC \xC0\xDF\xA8#");
    EXPECT_EQ(upperBytes("\xE9\xFF", 0), "\xC9\x9F"); // é ÿ in windows-1252
    EXPECT_EQ(toUnicode("\xC0", 204), QStringLiteral("А"));
    EXPECT_EQ(fromUnicode(QStringLiteral("Ж€"), 204), "\xC6\x88");
    EXPECT_EQ(fromUnicode(QStringLiteral("Ж"), 0), "?");
}

TEST(Languages, SettingsNamingEN_LNGFallsBackToEnglishAndSavesEnLng) {
    QTemporaryDir dir;
    copyShipped("ru.lng", dir.path());
    writeBytes(dir.filePath("ZELM_2008.ini"), "EN.LNG\r\n3630\r\n");
    Trainer t(dir.path());
    t.startUp(6);
    EXPECT_EQ(t.Languages[t.LanguageIndex].fileName, "en.lng");
    EXPECT_EQ(t.LanguageIndex, t.EnglishIndex);
    t.SaveSettings();
    EXPECT_TRUE(readAll(t.filePath("ZELM_2008.ini")).startsWith("en.lng\r\n"));
    EXPECT_FALSE(QFile::exists(dir.filePath("ru.typ"))); // only the loaded language's type file is written
}

TEST(Languages, AnyLanguageFileNamesItsTypeAndHelpFiles) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("x.lng"), "Xish\r\n\"Caption, with comma\"\r\nUnquoted, shifts\r\n");
    writeBytes(dir.filePath("ReadMe.x.txt"), "help of x");
    writeBytes(dir.filePath("ZELM_2008.ini"), "x.lng\r\n");
    Trainer t(dir.path());
    t.startUp(6);
    EXPECT_EQ(t.typeFileName(), "x.typ");
    EXPECT_TRUE(QFile::exists(dir.filePath("x.typ")));
    EXPECT_EQ(t.helpText(), "help of x");
    EXPECT_EQ(t.Captions[1], "Caption, with comma");
    EXPECT_EQ(t.Captions[2], "Unquoted");
    EXPECT_EQ(t.Captions[3], "shifts"); // every later entry moved down by one
    EXPECT_EQ(t.Captions[4], defaultCaptions()[4]); // a short file: defaults for the rest
    EXPECT_EQ(t.Charset, 0);
    // A language whose help file is missing has an empty help text.
    t.LanguageIndex = t.EnglishIndex;
    EXPECT_EQ(t.helpText(), "");
}

TEST(Settings, ValuesAreClampedAndBadEntriesTakeDefaults) {
    QTemporaryDir dir;
    writeBytes(dir.filePath("ZELM_2008.ini"),
               "en.lng\r\n99999\r\n-40000\r\n12345\r\n5\r\nQ\r\n13\r\n7\r\nx\r\n0\r\n100\r\n60\r\n1\r\n0\r\n301\r\n");
    Trainer t(dir.path());
    t.startUp(6);
    const Settings &s = t.settings;
    EXPECT_EQ(s.WindowLeft, 32767);
    EXPECT_EQ(s.WindowTop, -32768);
    EXPECT_EQ(s.TextNumber, 9999);
    EXPECT_EQ(s.Speed, 20);
    EXPECT_EQ(s.SpecialText, "Q");
    EXPECT_EQ(s.TextType, 12);
    EXPECT_TRUE(s.TextHidden);
    EXPECT_TRUE(s.SendVVV); // "x" is no number: the default
    EXPECT_FALSE(s.SendAR);
    EXPECT_EQ(s.Frequency, 500);
    EXPECT_EQ(s.PMZ, 51);
    EXPECT_EQ(s.PMG, 7);
    EXPECT_EQ(s.KZG, 1);
    EXPECT_EQ(s.KGT, 300);
}

TEST(Settings, SaveAndReadBackWholeIncludingSpecialTextWithCommaAndQuote) {
    QTemporaryDir dir;
    Trainer t(dir.path());
    t.startUp(6);
    Settings &s = t.settings;
    s.SpecialText = "A,B\"C ";
    s.TextNumber = 0;
    s.Speed = 299;
    s.TextHidden = true;
    s.PMZ = 9;
    s.PMG = 11; // kept as stored: the options window applies its pause rule when it loads
    s.WindowLeft = -100;
    t.SaveSettings();
    Trainer u(dir.path());
    u.startUp(6);
    EXPECT_EQ(u.settings.SpecialText, "A,B\"C ");
    EXPECT_EQ(u.settings.TextNumber, 0);
    EXPECT_EQ(u.settings.Speed, 299);
    EXPECT_TRUE(u.settings.TextHidden);
    EXPECT_EQ(u.settings.PMZ, 9);
    EXPECT_EQ(u.settings.PMG, 11);
    EXPECT_EQ(u.settings.WindowLeft, -100);
    EXPECT_EQ(lineCount(readAll(dir.filePath("ZELM_2008.ini"))), 15);
}

TEST(Settings, FileNameFollowsTheExecutable) {
    EXPECT_EQ(settingsFileNameFor("zelm2008"), "ZELM_2008.ini");
    EXPECT_EQ(settingsFileNameFor("mytrainer"), "mytrainer.ini");
    QTemporaryDir dir;
    Trainer t(dir.path(), QStringLiteral("mytrainer.ini"));
    t.startUp(6);
    EXPECT_TRUE(QFile::exists(dir.filePath("mytrainer.ini")));
    EXPECT_FALSE(QFile::exists(dir.filePath("ZELM_2008.ini")));
}

TEST(PlatformCheck, OutsideTheSupportedRangeShowsTheFourLineMessageBeforeTheTone) {
    EXPECT_EQ(judgePlatform(2), PlatformVerdict::TooOld);
    EXPECT_EQ(judgePlatform(3), PlatformVerdict::Supported);
    EXPECT_EQ(judgePlatform(9), PlatformVerdict::Supported);
    EXPECT_EQ(judgePlatform(10), PlatformVerdict::TooNew);
    EXPECT_EQ(judgePlatform(currentPlatformMajor()), PlatformVerdict::Supported);
    QTemporaryDir dir;
    Trainer t(dir.path());
    EXPECT_EQ(t.startUp(10), PlatformVerdict::TooNew);
    EXPECT_FALSE(QFile::exists(dir.filePath("signal.wav")));
    EXPECT_EQ(t.platformTitle(), "Error!");
    EXPECT_EQ(t.platformMessage(PlatformVerdict::TooNew),
              "Error!\r\nTest version Windows is found out.\r\nProgram ZELM will not work.\r\n"
              "Update the operational system.");
    EXPECT_EQ(t.platformMessage(PlatformVerdict::TooOld),
              "Error!\r\nYour version Windows has become outdated.\r\nProgram ZELM will not work.\r\n"
              "Update the operational system.");
}

TEST(FilesFolder, ProgramFolderWhenWritableElsePerUserFolderSeeded) {
    QTemporaryDir program, user;
    EXPECT_EQ(resolveFilesFolder(program.path(), user.filePath("z")), QDir(program.path()).absolutePath());
    writeBytes(program.filePath("ru.lng"), "ru");
    writeBytes(program.filePath("other.bin"), "x");
    QDir(user.path()).mkpath("z");
    writeBytes(user.filePath("z/ru.lng"), "mine"); // what the user folder holds already stays
    writeBytes(program.filePath("signal.wav"), "tone");
    const QString got = resolveFilesFolder(program.path(), user.filePath("z"), false);
    EXPECT_EQ(got, QDir(user.filePath("z")).absolutePath());
    EXPECT_EQ(readAll(user.filePath("z/ru.lng")), "mine");
    EXPECT_EQ(readAll(user.filePath("z/signal.wav")), "tone");
    EXPECT_FALSE(QFile::exists(user.filePath("z/other.bin")));
}

TEST(SingleInstance, SecondInstanceOnTheSameFolderIsNotFirst) {
    QTemporaryDir runtime;
    const QString name = SingleInstance::lockFileNameFor(QStringLiteral("/some/folder"));
    EXPECT_EQ(name, SingleInstance::lockFileNameFor(QStringLiteral("/some/folder")));
    EXPECT_EQ(name, SingleInstance::lockFileNameFor(QStringLiteral("/some/folder/")));
    EXPECT_NE(name, SingleInstance::lockFileNameFor(QStringLiteral("/other/folder")));
    const QString path = QDir(runtime.path()).filePath(name);
    {
        SingleInstance first(path);
        EXPECT_TRUE(first.isFirst());
        SingleInstance second(path);
        EXPECT_FALSE(second.isFirst());
    }
    SingleInstance afterwards(path);
    EXPECT_TRUE(afterwards.isFirst());
}
