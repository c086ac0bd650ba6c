#include "zelm2008/engine/Trainer.h"

#include "zelm2008/engine/CodePage.h"
#include "zelm2008/engine/Entries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSysInfo>

#include <algorithm>

namespace zelm {

namespace {

constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;

QByteArray entryAt(const QList<QByteArray> &entries, qsizetype i, const QByteArray &fallback) {
    return i < entries.size() ? entries[i] : fallback;
}

/// A number setting: the entry's number clamped into [lo, hi], or the default when the entry is
/// missing or not a number.
int numberAt(const QList<QByteArray> &entries, qsizetype i, int fallback, int lo, int hi) {
    if (i >= entries.size())
        return fallback;
    const auto n = entryNumber(entries[i]);
    if (!n)
        return fallback;
    return int(std::clamp<qint64>(*n, lo, hi));
}

bool flagAt(const QList<QByteArray> &entries, qsizetype i, bool fallback) {
    if (i >= entries.size())
        return fallback;
    const auto n = entryNumber(entries[i]);
    return n ? *n != 0 : fallback;
}

int charsetOf(const QByteArray &entry) { return int(std::clamp<qint64>(entryNumber(entry).value_or(0), 0, 255)); }

} // namespace

const std::array<QByteArray, 44> &defaultCaptions() {
    static const std::array<QByteArray, 44> captions = {
        "English",
        "ZELM-2008. About...",
        "Automatic Transmitter of code Morse 2008",
        "Version: 2008.1.19",
        "Author: the ZELM-2008 team",
        "Contact: see ReadMe.en.txt",
        "Translation: the ZELM-2008 team",
        "Contact: see ReadMe.en.txt",
        "OK",
        "ZELM-2008. Help.",
        "OK",
        "ZELM-2008.",
        "File",
        "Exit",
        "Help",
        "Index...",
        "About...",
        "Text Number:",
        "Speed:",
        "Text Type:",
        "Refresh Text",
        "Control:",
        "Start",
        "Stop",
        "Hide Text",
        "View Text",
        "Options",
        "Exit",
        "ZELM-2008. Options...",
        "Pause between Symbols:",
        "Pause between Group:",
        "Number Symbol in Group:",
        "Number Group in Text:",
        "Frequency:",
        "Interface Language:",
        "OK",
        "Hide Input window",
        "View Input window",
        "Clear window",
        "Error!",
        "Your version Windows has become outdated.",
        "Test version Windows is found out.",
        "Program ZELM will not work.",
        "Update the operational system.",
    };
    return captions;
}

const std::array<QByteArray, 13> &defaultTypeNames() {
    static const std::array<QByteArray, 13> names = {
        "Latin",         "English",       "Numeric",          "Number of short Zero",
        "Symbol",        "Mixed Lat+Num", "Mixed Eng+Num",    "Mixed Lat+Sym",
        "Mixed Eng+Sym", "Mixed Num+Sym", "Mixed Lat+Num+Sym", "Mixed Eng+Num+Sym",
        "Special"};
    return names;
}

QByteArray defaultLanguageFile() {
    QList<QByteArray> lines(defaultCaptions().begin(), defaultCaptions().end());
    lines.append("0");
    return joinLines(lines);
}

QByteArray defaultTypeFile() {
    QList<QByteArray> lines(defaultTypeNames().begin(), defaultTypeNames().end());
    lines.append(DefaultNationalAlphabet);
    lines.append("VVV= "); // reads back as "VVV=": blanks around an entry are dropped
    for (int i = 0; i < 128; ++i)
        lines.append(QByteArray());
    return joinLines(lines);
}

QString settingsFileNameFor(const QString &executableBaseName) {
    if (executableBaseName.isEmpty() || executableBaseName == QLatin1String("zelm2008"))
        return QStringLiteral("ZELM_2008.ini");
    return executableBaseName + QLatin1String(".ini");
}

QString resolveFilesFolder(const QString &programFolder, const QString &perUserFolder) {
    const QFileInfo program(programFolder);
    if (program.isDir() && program.isWritable())
        return program.absoluteFilePath();
    QDir user(perUserFolder);
    user.mkpath(QStringLiteral("."));
    const QDir source(programFolder);
    const QStringList patterns = {QStringLiteral("*.lng"), QStringLiteral("*.typ"),
                                  QStringLiteral("ReadMe.*.txt"), QStringLiteral("signal.wav"),
                                  QStringLiteral("*.ini")};
    for (const QFileInfo &f : source.entryInfoList(patterns, QDir::Files)) {
        const QString target = user.filePath(f.fileName());
        if (!QFileInfo::exists(target))
            QFile::copy(f.absoluteFilePath(), target);
    }
    return user.absolutePath();
}

PlatformVerdict judgePlatform(int kernelMajor) {
    if (kernelMajor < 3)
        return PlatformVerdict::TooOld;
    if (kernelMajor > 9)
        return PlatformVerdict::TooNew;
    return PlatformVerdict::Supported;
}

int currentPlatformMajor() {
    const QString v = QSysInfo::kernelVersion();
    return v.section(QLatin1Char('.'), 0, 0).toInt();
}

Trainer::Trainer(QString filesFolder, QString settingsFileName)
    : m_folder(std::move(filesFolder)), m_settingsFile(std::move(settingsFileName)) {
    QDir().mkpath(m_folder);
    Captions = defaultCaptions();
    TypeNames = defaultTypeNames();
    MorseCodes = builtInBaseAlphabet();
    for (int c = 0; c <= 32; ++c)
        MorseCodes[c].clear();
    CodeUnits = zelm::rebuildCodeUnits(MorseCodes);
}

QString Trainer::filePath(const QString &name) const { return QDir(m_folder).filePath(name); }

QByteArray Trainer::readFile(const QString &name) const {
    QFile f(filePath(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(kMaxFileBytes);
}

bool Trainer::writeFile(const QString &name, const QByteArray &bytes) const {
    QSaveFile f(filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(bytes);
    return f.commit();
}

void Trainer::loadLanguageList() {
    Languages.clear();
    EnglishIndex = -1;
    const QDir dir(m_folder);
    // Unsorted: the order the directory listing returns, as the language list shows it.
    const QStringList files = dir.entryList({QStringLiteral("*.lng")}, QDir::Files, QDir::Unsorted);
    for (const QString &name : files) {
        if (name == QLatin1String("en.lng") && EnglishIndex < 0)
            EnglishIndex = int(Languages.size());
        Languages.append({name, {}, 0});
    }
    if (EnglishIndex < 0) {
        writeFile(QStringLiteral("en.lng"), defaultLanguageFile());
        EnglishIndex = int(Languages.size());
        Languages.append({QStringLiteral("en.lng"), {}, 0});
    }
    for (Language &lang : Languages) {
        const QList<QByteArray> entries = readEntries(readFile(lang.fileName));
        lang.displayName = entryAt(entries, 0, {});
        lang.charset = charsetOf(entryAt(entries, 44, "0"));
    }
}

void Trainer::loadSettingsFile() {
    if (!QFileInfo::exists(filePath(m_settingsFile))) {
        // The defaults, with English as the language.
        const Settings keep = settings;
        const int keepIndex = LanguageIndex;
        settings = Settings();
        LanguageIndex = EnglishIndex;
        SaveSettings();
        settings = keep;
        LanguageIndex = keepIndex;
    }
    const QList<QByteArray> e = readEntries(readFile(m_settingsFile));
    const Settings d;
    LanguageIndex = EnglishIndex;
    if (!e.isEmpty()) {
        for (qsizetype i = 0; i < Languages.size(); ++i)
            if (QFile::encodeName(Languages[i].fileName) == e[0]) {
                LanguageIndex = int(i);
                break;
            }
    }
    Settings &s = settings;
    s.WindowLeft = qint16(numberAt(e, 1, d.WindowLeft, -32768, 32767));
    s.WindowTop = qint16(numberAt(e, 2, d.WindowTop, -32768, 32767));
    s.TextNumber = numberAt(e, 3, d.TextNumber, 0, 9999);
    s.Speed = numberAt(e, 4, d.Speed, 20, 299);
    s.SpecialText = entryAt(e, 5, d.SpecialText);
    s.TextType = numberAt(e, 6, d.TextType, 0, 12);
    s.TextHidden = flagAt(e, 7, d.TextHidden);
    s.SendVVV = flagAt(e, 8, d.SendVVV);
    s.SendAR = flagAt(e, 9, d.SendAR);
    s.Frequency = numberAt(e, 10, d.Frequency, 500, 1500);
    s.PMZ = numberAt(e, 11, d.PMZ, 3, 51);
    s.PMG = numberAt(e, 12, d.PMG, 7, 55);
    s.KZG = numberAt(e, 13, d.KZG, 1, 10);
    s.KGT = numberAt(e, 14, d.KGT, 1, 300);
}

void Trainer::SaveSettings() const {
    const Settings &s = settings;
    QByteArray language = "en.lng";
    if (LanguageIndex >= 0 && LanguageIndex < Languages.size())
        language = QFile::encodeName(Languages[LanguageIndex].fileName);
    auto num = [](qint64 v) { return QByteArray::number(v); };
    const QList<QByteArray> lines = {
        formatEntry(language), num(s.WindowLeft), num(s.WindowTop), num(s.TextNumber),
        num(s.Speed),          formatEntry(s.SpecialText), num(s.TextType),
        num(s.TextHidden ? 1 : 0), num(s.SendVVV ? 1 : 0), num(s.SendAR ? 1 : 0),
        num(s.Frequency),      num(s.PMZ), num(s.PMG), num(s.KZG), num(s.KGT)};
    writeFile(m_settingsFile, joinLines(lines));
}

QString Trainer::typeFileName() const {
    if (LanguageIndex < 0 || LanguageIndex >= Languages.size())
        return QStringLiteral("en.typ");
    const QString &name = Languages[LanguageIndex].fileName;
    return name.left(std::max<qsizetype>(0, name.size() - 4)) + QLatin1String(".typ");
}

QString Trainer::helpFileName() const {
    const QString typ = typeFileName();
    return QLatin1String("ReadMe.") + typ.left(typ.size() - 4) + QLatin1String(".txt");
}

QString Trainer::helpText() const { return text(readFile(helpFileName())); }

void Trainer::LoadLanguage() {
    QList<QByteArray> lng;
    if (LanguageIndex >= 0 && LanguageIndex < Languages.size())
        lng = readEntries(readFile(Languages[LanguageIndex].fileName));
    const auto &dc = defaultCaptions();
    for (int i = 0; i < 44; ++i)
        Captions[i] = entryAt(lng, i, dc[i]);
    Charset = charsetOf(entryAt(lng, 44, "0"));

    const QString typ = typeFileName();
    if (!QFileInfo::exists(filePath(typ)))
        writeFile(typ, defaultTypeFile());
    const QList<QByteArray> t = readEntries(readFile(typ));
    const auto &dn = defaultTypeNames();
    for (int i = 0; i < 13; ++i)
        TypeNames[i] = entryAt(t, i, dn[i]);
    NationalAlphabet = entryAt(t, 13, DefaultNationalAlphabet);
    NationalOpening = entryAt(t, 14, DefaultNationalOpening);
    for (int c = 128; c < 256; ++c)
        MorseCodes[c] = entryAt(t, 15 + (c - 128), {});
}

void Trainer::prepareTone(const std::function<void(int)> &progress) {
    const QString name = QStringLiteral("signal.wav");
    if (QFileInfo::exists(filePath(name))) {
        QFile f(filePath(name));
        toneImage = ToneImage(f.open(QIODevice::ReadOnly) ? f.read(kMaxFileBytes) : QByteArray());
        return;
    }
    if (progress)
        for (int k = 1; k <= 1129; ++k)
            progress(k);
    toneImage = ToneImage::builtIn();
    writeFile(name, toneImage.bytes());
}

void Trainer::loadBaseAlphabet() {
    for (int c = 0; c <= 32; ++c)
        MorseCodes[c].clear();
    const QString name = QStringLiteral("latin.typ");
    if (QFileInfo::exists(filePath(name))) {
        const QList<QByteArray> e = readEntries(readFile(name));
        for (int c = 0; c < 128; ++c)
            MorseCodes[c] = entryAt(e, c, {});
        return;
    }
    const MorseTable &base = builtInBaseAlphabet();
    for (int c = 33; c < 128; ++c)
        MorseCodes[c] = base[c];
    QList<QByteArray> lines;
    for (int c = 0; c < 128; ++c)
        lines.append(MorseCodes[c]);
    writeFile(name, joinLines(lines));
}

PlatformVerdict Trainer::startUp(int platformMajor, const std::function<void(int)> &progress) {
    loadLanguageList();
    loadSettingsFile();
    LoadLanguage();
    const PlatformVerdict verdict = judgePlatform(platformMajor);
    if (verdict != PlatformVerdict::Supported)
        return verdict;
    prepareTone(progress);
    loadBaseAlphabet();
    rebuildCodeUnits();
    return verdict;
}

QString Trainer::platformTitle() const { return caption(39); }

QString Trainer::platformMessage(PlatformVerdict verdict) const {
    const int second = verdict == PlatformVerdict::TooNew ? 41 : 40;
    return caption(39) + QLatin1String("\r\n") + caption(second) + QLatin1String("\r\n") +
           caption(42) + QLatin1String("\r\n") + caption(43);
}

QString Trainer::text(const QByteArray &b) const { return toUnicode(b, Charset); }
QByteArray Trainer::bytes(const QString &t) const { return fromUnicode(t, Charset); }

QString Trainer::caption(int index) const {
    if (index < 0 || index >= int(Captions.size()))
        return {};
    return text(Captions[index]);
}

QString Trainer::languageDisplayName(int index) const {
    if (index < 0 || index >= Languages.size())
        return {};
    return toUnicode(Languages[index].displayName, Languages[index].charset);
}

void Trainer::chooseSet(int textType) {
    if (textType >= 0 && textType < TextTypeCount) {
        settings.TextType = textType;
        CurrentSet = currentSetFor(textType, NationalAlphabet, settings.SpecialText);
    }
    GenerateText();
}

void Trainer::GenerateText() {
    if (Loading)
        return;
    TextRequest r;
    r.currentSet = CurrentSet;
    r.TextNumber = settings.TextNumber;
    r.KZG = settings.KZG;
    r.KGT = settings.KGT;
    r.TextType = settings.TextType;
    r.SendVVV = settings.SendVVV;
    r.SendAR = settings.SendAR;
    r.nationalOpening = NationalOpening;
    PracticeText = generator.GenerateText(r);
}

RunCount Trainer::prepareKeyText() {
    PracticeText = upperBytes(PracticeText, Charset);
    RunCount rc = countRun(PracticeText, NationalOpening, CodeUnits, settings.PMZ, settings.PMG);
    writeFile(QStringLiteral("text.txt"), rc.keyedText + "\r\n");
    StopRequested = false;
    return rc;
}

KeyingView Trainer::keyingView() const {
    return {PracticeText, MorseCodes, settings.Speed, settings.PMZ, settings.PMG, settings.TextType};
}

} // namespace zelm
