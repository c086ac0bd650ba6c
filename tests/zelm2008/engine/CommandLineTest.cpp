// The command line: parsing, --text and --wav (exact to the sample) on a files folder.
#include "tests/support/TestSupport.h"

#include "zelm2008/engine/CommandLine.h"
#include "zelm2008/engine/KeyingRun.h"
#include "zelm2008/engine/Trainer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtEndian>

#include <cmath>

using namespace zelm;

namespace {

struct JobResult {
    int status;
    QString out, err;
};

JobResult run(const QStringList &args) {
    QString o, e;
    QTextStream out(&o), err(&e);
    const int status = runHeadless(parseCommandLine(args), ProgramFolders{}, out, err);
    out.flush();
    err.flush();
    return {status, o, e};
}

const unsigned char kPeriod[24] = {127, 150, 171, 190, 204, 213, 216, 213, 204, 190, 171, 150,
                                   128, 105, 83,  64,  50,  41,  38,  41,  50,  64,  83,  105};

} // namespace

TEST(CommandLine, Parsing) {
    const struct {
        QStringList args;
        CommandLine::Mode mode;
        const char *error;
    } cases[] = {
        {{}, CommandLine::Mode::Window, ""},
        {{"--data-dir", "/x"}, CommandLine::Mode::Window, ""},
        {{"--text", "--number", "0", "--type", "12"}, CommandLine::Mode::Text, ""},
        {{"--wav", "o.wav", "--speed", "299", "--freq", "1500"}, CommandLine::Mode::Wav, ""},
        {{"--help", "--bogus"}, CommandLine::Mode::Help, ""},
        {{"--text", "--number", "10000"}, CommandLine::Mode::Invalid, "--number needs a whole number from 0 to 9999"},
        {{"--text", "--speed", "fast"}, CommandLine::Mode::Invalid, "--speed needs a whole number from 20 to 299"},
        {{"--text", "--groups"}, CommandLine::Mode::Invalid, "--groups needs a whole number from 1 to 300"},
        {{"--wav"}, CommandLine::Mode::Invalid, "--wav needs the WAV file to write"},
        {{"--text", "--wav", "a"}, CommandLine::Mode::Invalid, "--text and --wav cannot be combined"},
        {{"--number", "5"}, CommandLine::Mode::Invalid, "the text options need --text or --wav"},
        {{"--frobnicate"}, CommandLine::Mode::Invalid, "unknown option --frobnicate"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CommandLine cl = parseCommandLine(c.args);
        EXPECT_EQ(cl.mode, c.mode);
        EXPECT_EQ(cl.error.toStdString(), c.error);
    }
    const CommandLine cl = parseCommandLine({"--text", "--group-size", "6", "--no-ar", "--data-dir", "d"});
    EXPECT_EQ(cl.groupSize, 6);
    EXPECT_TRUE(cl.noAr);
    EXPECT_FALSE(cl.noVvv);
    EXPECT_EQ(cl.dataDir, "d");
}

TEST(CommandLine, TextPrintsThePracticeTextWithOverridesAndSavesNothing) {
    QTemporaryDir dir;
    const JobResult r = run({"--data-dir", dir.path(), "--text", "--groups", "12", "--number", "2009"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "VVV=\nBIWYE BQWBN FZYTA JMHDZ MHCYW CVBLI WJRGI YXSIH JMCUC DEPHK \nDOVPX YPNUQ ~\n");
    EXPECT_TRUE(testsupport::readAll(QDir(dir.path()).filePath("ZELM_2008.ini")).contains("\r\n50\r\n"));
    const JobResult bad = run({"--text", "--type", "13"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.err.endsWith("zelm2008: --type needs a whole number from 0 to 12\n"));
    EXPECT_TRUE(bad.out.isEmpty());
}

TEST(CommandLine, AnExplicitFilesFolderOffersTheShippedLanguages) {
    // A fresh --data-dir once held only the English files a first start creates.
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath("new");
    const ProgramFolders program{QStringLiteral(ZELM_RESOURCES_DIR), QString(), QStringLiteral("zelm2008")};
    EXPECT_EQ(filesFolderFor(parseCommandLine({"--data-dir", folder}), program), QDir(folder).absolutePath());
    for (const char *f : {"ru.lng", "ru.typ", "ReadMe.ru.txt"})
        EXPECT_TRUE(QFileInfo::exists(QDir(folder).filePath(f))) << f;
}

TEST(CommandLine, TextWorksForEveryTypeInBothShippedLanguages) {
    for (const char *lang : {"en.lng", "ru.lng"}) {
        QTemporaryDir dir;
        for (const char *f : {"ru.lng", "ru.typ"})
            QFile::copy(QStringLiteral(ZELM_RESOURCES_DIR "/") + f, QDir(dir.path()).filePath(f));
        QFile ini(QDir(dir.path()).filePath("ZELM_2008.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray(lang) + "\r\n");
        ini.close();
        for (int type = 0; type <= 12; ++type) {
            SCOPED_TRACE(std::string(lang) + " type " + std::to_string(type));
            const JobResult r = run({"--data-dir", dir.path(), "--text", "--type", QString::number(type), "--groups", "3"});
            ASSERT_EQ(r.status, 0);
            const bool national = type == 1 || type == 6 || type == 8 || type == 11;
            const QString opening = national && QByteArray(lang) == "ru.lng" ? QStringLiteral("ЖЖЖ=\n") : QStringLiteral("VVV=\n");
            EXPECT_TRUE(r.out.startsWith(opening)) << r.out.toStdString();
            EXPECT_TRUE(r.out.endsWith(" ~\n"));
            EXPECT_FALSE(r.out.contains(QChar(0xFFFD)));
        }
        const JobResult wav = run({"--data-dir", dir.path(), "--wav", QDir(dir.path()).filePath("o.wav"), "--type", "11", "--groups", "2"});
        EXPECT_EQ(wav.status, 0) << wav.err.toStdString();
    }
}

TEST(CommandLine, WavIsExactToTheSample) {
    QTemporaryDir dir;
    const QString wavPath = QDir(dir.path()).filePath("out.wav");
    const JobResult r = run({"--data-dir", dir.path(), "--wav", wavPath, "--groups", "7", "--type", "10",
                       "--speed", "299", "--freq", "800", "--pmz", "4", "--pmg", "9"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QByteArray wav = testsupport::readAll(wavPath);
    ASSERT_GT(wav.size(), 44);
    EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 24), 19200u);
    EXPECT_EQ(qFromLittleEndian<quint16>(wav.constData() + 34), 8);
    EXPECT_EQ(qFromLittleEndian<quint32>(wav.constData() + 40), quint32(wav.size() - 44));

    // The run as the trainer sees it: the text written to text.txt and the timeline.
    Trainer t(dir.path());
    t.startUp(6);
    t.settings.KGT = 7;
    t.settings.PMZ = 4;
    t.settings.PMG = 9;
    t.settings.Speed = 299;
    t.chooseSet(10);
    const RunCount rc = t.prepareKeyText();
    const int unit = unitMsFor(rc.B, 299);
    ASSERT_GT(unit, 10);
    // Expected samples built independently: silence, and each element a copy of the image's
    // periods from its first sample, between round(on × 19.2) and round(off × 19.2).
    QByteArray expected;
    qint64 on = -1;
    qint64 endMs = 0;
    int dots = 0, dashes = 0;
    for (const KeyAction &a : buildTimeline(rc.B, t.keyingView())) {
        const auto pos = [](qint64 ms) { return qint64(std::nearbyint(ms * 19.2)); };
        if (a.kind == KeyAction::Kind::ToneOn) {
            expected.append(QByteArray(pos(a.atMs) - expected.size(), char(128)));
            on = a.atMs;
        } else if (a.kind == KeyAction::Kind::ToneOff) {
            const qint64 n = pos(a.atMs) - expected.size();
            for (qint64 k = 0; k < n; ++k)
                expected.append(char(kPeriod[k % 24]));
            (a.atMs - on == unit ? dots : dashes)++;
            EXPECT_TRUE(a.atMs - on == unit || a.atMs - on == 3 * unit);
        } else if (a.kind == KeyAction::Kind::End) {
            endMs = a.atMs;
        }
    }
    expected.append(QByteArray(qint64(std::nearbyint(endMs * 19.2)) - expected.size(), char(128)));
    EXPECT_GT(dots, 10);
    EXPECT_GT(dashes, 10);
    EXPECT_TRUE(wav.mid(44) == expected) << "WAV samples differ from the ideal rendering";
}
