#include "zelm2008/engine/CommandLine.h"

#include "zelm2008/engine/Error.h"
#include "zelm2008/engine/Trainer.h"
#include "zelm2008/engine/WavToneOutput.h"

#include <QTextStream>

namespace zelm {

namespace {

struct NumberOption {
    const char *name;
    std::optional<int> CommandLine::*field;
    int lo, hi;
};

constexpr NumberOption kNumberOptions[] = {
    {"--number", &CommandLine::number, 0, 9999},  {"--type", &CommandLine::type, 0, 12},
    {"--group-size", &CommandLine::groupSize, 1, 10}, {"--groups", &CommandLine::groups, 1, 300},
    {"--speed", &CommandLine::speed, 20, 299},    {"--freq", &CommandLine::freq, 500, 1500},
    {"--pmz", &CommandLine::pmz, 3, 51},          {"--pmg", &CommandLine::pmg, 7, 55},
};

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine cl;
    auto invalid = [&cl](QString why) {
        cl.mode = CommandLine::Mode::Invalid;
        cl.error = std::move(why);
        return cl;
    };
    bool text = false, wav = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            cl.mode = CommandLine::Mode::Help;
            return cl;
        }
        if (arg == QLatin1String("--version")) {
            cl.mode = CommandLine::Mode::Version;
            return cl;
        }
        if (arg == QLatin1String("--text")) {
            text = true;
        } else if (arg == QLatin1String("--wav")) {
            const auto v = value();
            if (!v || v->isEmpty())
                return invalid(QStringLiteral("--wav needs the WAV file to write"));
            cl.wavPath = *v;
            wav = true;
        } else if (arg == QLatin1String("--data-dir")) {
            const auto v = value();
            if (!v || v->isEmpty())
                return invalid(QStringLiteral("--data-dir needs a folder"));
            cl.dataDir = *v;
        } else if (arg == QLatin1String("--no-vvv")) {
            cl.noVvv = true;
        } else if (arg == QLatin1String("--no-ar")) {
            cl.noAr = true;
        } else {
            const NumberOption *opt = nullptr;
            for (const NumberOption &o : kNumberOptions)
                if (arg == QLatin1String(o.name))
                    opt = &o;
            if (!opt)
                return invalid(QStringLiteral("unknown option %1").arg(arg));
            const auto v = value();
            bool ok = false;
            const int n = v ? v->toInt(&ok) : 0;
            if (!ok || n < opt->lo || n > opt->hi)
                return invalid(QStringLiteral("%1 needs a whole number from %2 to %3")
                                   .arg(QLatin1String(opt->name))
                                   .arg(opt->lo)
                                   .arg(opt->hi));
            cl.*(opt->field) = n;
        }
    }
    if (text && wav)
        return invalid(QStringLiteral("--text and --wav cannot be combined"));
    if (text)
        cl.mode = CommandLine::Mode::Text;
    else if (wav)
        cl.mode = CommandLine::Mode::Wav;
    else if (cl.number || cl.type || cl.groupSize || cl.groups || cl.speed || cl.freq || cl.pmz ||
             cl.pmg || cl.noVvv || cl.noAr)
        return invalid(QStringLiteral("the text options need --text or --wav"));
    return cl;
}

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  zelm2008 [--data-dir DIR]                 the trainer window\n"
        "  zelm2008 [--data-dir DIR] --text [TEXT OPTIONS]\n"
        "                                            print the practice text (UTF-8)\n"
        "  zelm2008 [--data-dir DIR] --wav OUT.wav [TEXT OPTIONS] [KEYING OPTIONS]\n"
        "                                            render the keying of the text to a WAV file\n"
        "  zelm2008 --help | --version\n"
        "Text options (this run only, nothing is saved):\n"
        "  --number N  (0-9999)   --type T  (0-12)   --group-size KZG  (1-10)\n"
        "  --groups KGT  (1-300)  --no-vvv           --no-ar\n"
        "Keying options:\n"
        "  --speed CPM  (20-299)  --freq HZ  (500-1500)  --pmz N  (3-51)  --pmg N  (7-55)\n");
}

QString filesFolderFor(const CommandLine &cl, const ProgramFolders &folders) {
    // A folder named explicitly is seeded like the per-user one, so it offers every shipped
    // language and help file, not only the English files a first start creates.
    if (!cl.dataDir.isEmpty()) {
        if (folders.programFolder.isEmpty())
            return cl.dataDir;
        return resolveFilesFolder(folders.programFolder, cl.dataDir, false);
    }
    return resolveFilesFolder(folders.programFolder, folders.perUserFolder);
}

int runHeadless(const CommandLine &cl, const ProgramFolders &folders, QTextStream &out,
                QTextStream &err) {
    switch (cl.mode) {
    case CommandLine::Mode::Help:
        out << usageText();
        return 0;
    case CommandLine::Mode::Version:
        out << "ZELM-2008 2008.01.0019\n";
        return 0;
    case CommandLine::Mode::Invalid:
        err << usageText() << "zelm2008: " << cl.error << "\n";
        return 2;
    case CommandLine::Mode::Window:
        err << "zelm2008: the trainer window is no headless job; use --text or --wav\n";
        return 1;
    case CommandLine::Mode::Text:
    case CommandLine::Mode::Wav:
        break;
    }
    try {
        Trainer trainer(filesFolderFor(cl, folders), settingsFileNameFor(folders.executableBaseName));
        const PlatformVerdict verdict = trainer.startUp(currentPlatformMajor());
        if (verdict != PlatformVerdict::Supported)
            throw Error(QString(trainer.platformMessage(verdict)).replace(QLatin1String("\r\n"), QLatin1String("\n")));
        Settings &s = trainer.settings;
        if (cl.number) s.TextNumber = *cl.number;
        if (cl.groupSize) s.KZG = *cl.groupSize;
        if (cl.groups) s.KGT = *cl.groups;
        if (cl.speed) s.Speed = *cl.speed;
        if (cl.freq) s.Frequency = *cl.freq;
        if (cl.pmz) s.PMZ = *cl.pmz;
        if (cl.pmg) s.PMG = *cl.pmg;
        if (cl.noVvv) s.SendVVV = false;
        if (cl.noAr) s.SendAR = false;
        trainer.applyPitch();
        trainer.chooseSet(cl.type.value_or(s.TextType));

        if (cl.mode == CommandLine::Mode::Text) {
            QString text = trainer.text(trainer.PracticeText).replace(QLatin1String("\r\n"), QLatin1String("\n"));
            if (!text.endsWith(QLatin1Char('\n')))
                text += QLatin1Char('\n'); // the terminal's last line
            out << text;
            out.flush();
            return 0;
        }
        const RunCount rc = trainer.prepareKeyText();
        const ToneSamples &tone = trainer.toneImage.samples();
        WavToneOutput wav(tone.playable ? tone.sampleRate : 24 * s.Frequency);
        wav.beginRun();
        for (const KeyAction &a : buildTimeline(rc.B, trainer.keyingView())) {
            if (a.kind == KeyAction::Kind::ToneOn)
                wav.ToneOn(trainer.toneImage, a.atMs);
            else if (a.kind == KeyAction::Kind::ToneOff)
                wav.ToneOff(a.atMs);
            else if (a.kind == KeyAction::Kind::End)
                wav.endRun(a.atMs);
        }
        wav.save(cl.wavPath);
        return 0;
    } catch (const Error &e) {
        err << "zelm2008: " << e.message() << "\n";
        return 1;
    }
}

} // namespace zelm
