#include "rezmira/shell/CommandLine.h"

#include "rezmira/Error.h"
#include "rezmira/loading/ProtectedContent.h"
#include "rezmira/loading/ResultDump.h"
#include "rezmira/loading/ResultLoader.h"
#include "rezmira/protection/CryptServices.h"
#include "rezmira/shell/ExportPdf.h"
#include "rezmira/shell/TSettingsObj.h"

#include <QTextStream>

#include <exception>

namespace rezmira {

namespace {

// One headless open and its collaborators. No key is remembered on the command line: --key
// answers the first key request, and every later request (after that key failed to decrypt)
// answers "no key", so the open ends with "Не удается открыть файл" instead of asking for ever.
struct HeadlessOpen {
    TSettingsObj settings;
    CommandLineKeyDialog dialog;
    CryptServices crypt;
    ResultLoader loader;

    explicit HeadlessOpen(const CommandLine &cl)
        : dialog(cl.key),
          crypt(userKeySetFolder(), QString::fromLatin1(FileKeyContainerStore::kMachineKeySetFolder),
                dialog, settings),
          loader(crypt.keys(), crypt.decryptor(), settings) {}

    // Opens `file`; on failure writes the message to `err` and gives false.
    bool open(const QString &file, QTextStream &err) {
        try {
            loader.LoadResultFile(file);
            return true;
        } catch (const Error &e) {
            err << e.message() << "\n";
        } catch (const std::exception &e) { // out of memory and the like: still a clean exit
            err << QString::fromLocal8Bit(e.what()) << "\n";
        }
        return false;
    }
};

int runDumpResult(const CommandLine &cl, QTextStream &out, QTextStream &err) {
    HeadlessOpen job(cl);
    if (!job.open(cl.file, err))
        return 1;
    out << QString::fromUtf8(dumpResultJson(job.loader.tables()));
    return 0;
}

int runExportPdf(const CommandLine &cl, QTextStream &err) {
    HeadlessOpen job(cl);
    job.settings.XSLStylesPath = defaultStylesPath();
    if (!job.open(cl.file, err))
        return 1;
    return exportProtocolPdf(job.loader.tables(), job.loader.packageStream(), job.settings.XSLStylesPath,
                             cl.output, err);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine cl;
    auto invalid = [&cl](QString why) {
        cl.mode = CommandLine::Mode::Invalid;
        cl.error = std::move(why);
        return cl;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        auto takeValue = [&](QString &target) {
            if (i + 1 >= arguments.size())
                return false;
            target = arguments[++i];
            return true;
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            cl.mode = CommandLine::Mode::Help;
            return cl;
        } else if (arg == QLatin1String("--version")) {
            cl.mode = CommandLine::Mode::Version;
            return cl;
        } else if (arg == QLatin1String("--dump-result")) {
            cl.mode = CommandLine::Mode::DumpResult;
        } else if (arg == QLatin1String("--export-pdf")) {
            cl.mode = CommandLine::Mode::ExportPdf;
            if (!takeValue(cl.output))
                return invalid(QStringLiteral("--export-pdf needs the PDF file to write"));
        } else if (arg == QLatin1String("--key")) {
            if (!takeValue(cl.key))
                return invalid(QStringLiteral("--key needs a key store file"));
        } else if (arg.startsWith(QLatin1String("--"))) {
            return invalid(QStringLiteral("unknown option %1").arg(arg));
        } else if (cl.file.isEmpty()) {
            cl.file = arg;
        } else {
            return invalid(QStringLiteral("only one result package can be given"));
        }
    }
    if ((cl.mode == CommandLine::Mode::DumpResult || cl.mode == CommandLine::Mode::ExportPdf) &&
        cl.file.isEmpty())
        return invalid(QStringLiteral("no result package given"));
    return cl;
}

QString usageText() {
    return QStringLiteral(
        "Usage:\n"
        "  rezmira [FILE.rzt]                                  show the protocol in the window\n"
        "  rezmira --dump-result [--key KEY.rzk] FILE.rzt      print the result tables as JSON\n"
        "  rezmira --export-pdf OUT.pdf [--key KEY.rzk] FILE.rzt\n"
        "                                                      write the protocol report as PDF\n"
        "  rezmira --help | --version\n");
}

int runHeadless(const CommandLine &cl, QTextStream &out, QTextStream &err) {
    switch (cl.mode) {
    case CommandLine::Mode::Help:
        out << usageText();
        return 0;
    case CommandLine::Mode::Version:
        out << "Rezmira 2.0 (2.0.0.0)\n";
        return 0;
    case CommandLine::Mode::Invalid:
        err << "rezmira: " << cl.error << "\n" << usageText();
        return 2;
    case CommandLine::Mode::DumpResult:
        return runDumpResult(cl, out, err);
    case CommandLine::Mode::ExportPdf:
        return runExportPdf(cl, err);
    default:
        err << "rezmira: this job is not available in this build\n";
        return 1;
    }
}

} // namespace rezmira
