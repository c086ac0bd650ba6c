// The trainer's program-wide state and its files: settings, language, type and Morse table
// files, the tone image, the practice text, and the start-up procedure. The windows bind to one
// Trainer object and hold no data of their own.
#pragma once

#include "zelm2008/engine/KeyingRun.h"
#include "zelm2008/engine/Morse.h"
#include "zelm2008/engine/TextGenerator.h"
#include "zelm2008/engine/ToneImage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <functional>

namespace zelm {

/// The stored settings (lines 2–15 of the settings file; line 1, the language, is
/// `Trainer::LanguageIndex`). Every control writes its setting here at once. Values read from the
/// file are clamped into the ranges below; nothing else enforces them.
struct Settings {
    qint16 WindowLeft = 3630; ///< main window's left edge, twips
    qint16 WindowTop = 2130;  ///< main window's top edge, twips
    int TextNumber = 2009;    ///< 0–9999; 0 gives a fresh random text
    int Speed = 120;          ///< characters per minute, 20–299
    QByteArray SpecialText = "ABC123"; ///< the user's set (type 12), bytes in the language's code page
    int TextType = 0;         ///< 0–12
    bool TextHidden = false;
    bool SendVVV = true;      ///< opening line in front of the text
    bool SendAR = true;       ///< "~" at the end
    int Frequency = 750;      ///< Hz, 500–1500
    int PMZ = 3;              ///< pause after a character, units, 3–51
    int PMG = 7;              ///< pause between groups, units, 7–55 (the options window keeps it ≥ PMZ + 4)
    int KZG = 5;              ///< symbols per group, 1–10
    int KGT = 50;             ///< groups per text, 1–300
};

/// One entry of the language list.
struct Language {
    QString fileName;       ///< e.g. "en.lng", as listed in the files folder
    QByteArray displayName; ///< the file's first entry, in the file's own code page
    int charset = 0;        ///< the file's Charset entry (to decode `displayName`)
};

/// The result of the platform check.
enum class PlatformVerdict { Supported, TooOld, TooNew };

/// This build runs on Linux kernels of major version 3 to 9: below 3 is "too old" (the C library
/// and Qt need more), above 9 is "newer than supported" (not yet tried).
PlatformVerdict judgePlatform(int kernelMajor);
/// The running kernel's major version (from the kernel version string; 0 when unknown).
int currentPlatformMajor();

/// The program-wide state of ZELM_2008 and the operations on it. One object lives from start-up
/// to the end of the program; it is used on the UI thread only. Texts are kept as bytes in the
/// code page of the current language's `Charset` (character codes 0–255 index the Morse table);
/// `text()`/`bytes()` convert at the widgets.
///
/// Files live in one folder (`filesFolder()`): the settings file, *.lng, stem.typ, latin.typ,
/// ReadMe.stem.txt, signal.wav, text.txt. Every write is atomic (QSaveFile); a failed write is not
/// reported (the program reports no file errors to the user).
class Trainer {
public:
    /// `filesFolder` is where the files are (created if missing); `settingsFileName` is the
    /// settings file's name in it (see `settingsFileNameFor`).
    explicit Trainer(QString filesFolder, QString settingsFileName = QStringLiteral("ZELM_2008.ini"));

    // ---- Program-wide state (public: the windows read and write these directly) ----
    Settings settings;

    QList<Language> Languages; ///< in directory-listing order; en.lng appended when missing
    int LanguageIndex = 0;     ///< the current language in `Languages`
    int EnglishIndex = 0;      ///< the index of the file named exactly "en.lng"

    std::array<QByteArray, 44> Captions; ///< interface texts by index (see `defaultCaptions`)
    int Charset = 0;                     ///< font character set of the current language (204 Cyrillic)
    std::array<QByteArray, 13> TypeNames; ///< names of the text types 0–12
    QByteArray NationalAlphabet = DefaultNationalAlphabet;
    QByteArray NationalOpening = DefaultNationalOpening;

    MorseTable MorseCodes;    ///< 0–127 from latin.typ, 128–255 from the language's type file
    CodeUnitTable CodeUnits{}; ///< rebuilt by `rebuildCodeUnits` (main window activation)

    QByteArray CurrentSet = LatinSet; ///< the set of the chosen type
    QByteArray PracticeText;  ///< the text shown in the practice box and keyed by a run
    bool StopRequested = false; ///< set by Stop/Esc/typing in the practice box; a run checks it
    bool Loading = false;     ///< the main window sets it while it loads: GenerateText does nothing

    ToneImage toneImage;      ///< the tone: loaded from / built into signal.wav; ApplyPitch changes it
    TextGenerator generator;  ///< seeded from std::random_device at construction

    // ---- Files folder ----
    QString filesFolder() const { return m_folder; }
    QString filePath(const QString &name) const;
    QString settingsFileName() const { return m_settingsFile; }

    // ---- Start-up (each step may be run on its own; `startUp` runs them in order) ----

    /// Lists *.lng in listing order into `Languages` with their display names, finds
    /// `EnglishIndex` (exact, case-sensitive "en.lng"), and writes en.lng with the default
    /// entries and appends it when no file is named exactly so.
    void loadLanguageList();
    /// Writes the settings file with the defaults when it is missing, then reads it:
    /// `LanguageIndex` from line 1 (exact file-name match, else `EnglishIndex`) and the 14
    /// settings, clamped into range; missing or non-numeric entries take their defaults.
    void loadSettingsFile();
    /// Loads `Captions`, `Charset`, `TypeNames`, `NationalAlphabet`, `NationalOpening` and
    /// `MorseCodes`[128–255] for `LanguageIndex`; writes stem.typ with the English defaults when
    /// it is missing. Entries missing from a short file take the English defaults.
    void LoadLanguage();
    /// Reads signal.wav unchecked into `toneImage`, or builds the built-in image and writes it.
    /// `progress` (optional) is called for each of the 1129 periods laid down while building
    /// (k = 1…1129; the About window's bar is 705 + 3k twips wide then).
    void prepareTone(const std::function<void(int k)> &progress = {});
    /// Empties `MorseCodes`[0–32]; reads latin.typ into [0–127], or fills [33–127] with the
    /// built-in alphabet and writes all 128 entries to latin.typ when it is missing.
    void loadBaseAlphabet();

    /// The whole start-up after the single-instance check: language list, settings, LoadLanguage,
    /// platform check, tone, base alphabet — then `rebuildCodeUnits`. Returns the platform
    /// verdict; on anything but Supported the caller shows `platformMessage` and ends (the tone
    /// and base alphabet steps are then not run).
    PlatformVerdict startUp(int platformMajor, const std::function<void(int k)> &progress = {});

    /// The platform message: title `Captions`[39]; text of four lines joined by CR LF —
    /// [39], [40] (too old) or [41] (too new), [42], [43].
    QString platformTitle() const;
    QString platformMessage(PlatformVerdict verdict) const;

    // ---- Settings and language ----

    /// Writes the settings file anew: the current language's file name and the 14 settings, one
    /// entry per line; a SpecialText holding a comma, a double quote or edge blanks is quoted so it
    /// reads back whole.
    void SaveSettings() const;
    /// The type file of the current language: its file name minus the last 4 characters + ".typ".
    QString typeFileName() const;
    /// The help file of the current language: "ReadMe." + stem + ".txt".
    QString helpFileName() const;
    /// The help text of the current language, decoded with `Charset`; empty when the file is missing.
    QString helpText() const;

    // ---- Texts ----
    QString text(const QByteArray &bytes) const;  ///< decodes with `Charset`
    QByteArray bytes(const QString &text) const;  ///< encodes with `Charset` ('?' for the unencodable)
    QString caption(int index) const;             ///< `Captions`[index] decoded; empty out of range
    QString languageDisplayName(int index) const; ///< decoded with that language's own charset

    // ---- Practice text ----
    void rebuildCodeUnits() { CodeUnits = zelm::rebuildCodeUnits(MorseCodes); }
    /// Chooses the set for `textType` (sets `settings.TextType`; a type outside 0–12 keeps the
    /// previous `CurrentSet`) and runs `GenerateText`. Type 12 takes `settings.SpecialText`.
    void chooseSet(int textType);
    /// Builds `PracticeText` from `CurrentSet` and the settings; does nothing while `Loading`.
    void GenerateText();

    // ---- Keying ----
    /// The steps of a run before its first character: upper-cases `PracticeText` (the window then
    /// shows it again), counts it, writes text.txt (characters s…e then CR LF), clears
    /// `StopRequested` and works out B. The player calls this; the window first copies its box
    /// into `PracticeText`.
    RunCount prepareKeyText();
    /// The live values a run reads at its check points.
    KeyingView keyingView() const;
    /// `toneImage.ApplyPitch(settings.Frequency)`.
    void applyPitch() { toneImage.ApplyPitch(settings.Frequency); }

    /// Reads a file of the folder whole (at most 4 MiB: larger files are cut there); empty when
    /// missing.
    QByteArray readFile(const QString &name) const;
    /// Writes a file of the folder atomically; returns false on failure.
    bool writeFile(const QString &name, const QByteArray &bytes) const;

private:
    QString m_folder;
    QString m_settingsFile;
};

/// The 44 captions of the English language file the program writes.
const std::array<QByteArray, 44> &defaultCaptions();
/// The 13 English text-type names.
const std::array<QByteArray, 13> &defaultTypeNames();
/// The en.lng file the program writes (45 lines, CR LF).
QByteArray defaultLanguageFile();
/// The default type file (143 lines: names, alphabet, "VVV= ", 128 empty lines).
QByteArray defaultTypeFile();

/// The settings file name for an executable's base name: the delivered program `zelm2008` keeps
/// "ZELM_2008.ini"; a copy under another name keeps its own settings in "<name>.ini".
QString settingsFileNameFor(const QString &executableBaseName);

/// The files folder: `programFolder` when it is writable; otherwise `perUserFolder`, created if
/// needed and seeded with the program folder's trainer files (*.lng, *.typ, ReadMe.*.txt,
/// signal.wav, *.ini) that it does not hold yet.
QString resolveFilesFolder(const QString &programFolder, const QString &perUserFolder);

} // namespace zelm
