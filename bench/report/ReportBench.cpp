// The protocol report of the large package (2,000 questions, written by bench_loading): the
// full preparation, and in the same run the floor — open the package and apply qout.xsl,
// useranswer.xsl and rightanswer.xsl once per question with libxslt.
// Usage: bench_report [--package=FILE] [benchmark options]
#include "rezmira/loading/ResultLoader.h"
#include "rezmira/report/HtmlViewObject.h"
#include "rezmira/report/ProtocolReport.h"
#include "rezmira/report/engine/PdfExport.h"
#include "rezmira/shell/TSettingsObj.h"

#include <benchmark/benchmark.h>

#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <cstring>
#include <memory>

using namespace rezmira;

namespace {

QString g_packagePath;

QString stylesPath() { return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin/XSLStyles")) + QLatin1Char('/'); }

class NoKeys final : public KeyProvider {
public:
    bool AcquireKey() override { return false; }
};
class NoDecryptor final : public EnvelopeDecryptor {
public:
    void LoadEnvelope(const QByteArray &) override {}
    void DecryptDocument(QByteArray &) override {}
};

struct Opened {
    NoKeys keys;
    NoDecryptor decryptor;
    TSettingsObj settings;
    ResultLoader loader{keys, decryptor, settings};
};

void BM_Floor(benchmark::State &state) {
    const char *names[] = {"qout.xsl", "useranswer.xsl", "rightanswer.xsl"};
    std::unique_ptr<xsltStylesheet, decltype(&xsltFreeStylesheet)> sheets[3] = {
        {nullptr, xsltFreeStylesheet}, {nullptr, xsltFreeStylesheet}, {nullptr, xsltFreeStylesheet}};
    for (int i = 0; i < 3; ++i) {
        sheets[i].reset(xsltParseStylesheetFile(
            reinterpret_cast<const xmlChar *>(QString(stylesPath() + QLatin1String(names[i])).toUtf8().constData())));
        if (!sheets[i]) {
            state.SkipWithError("cannot compile the style sheets");
            return;
        }
    }
    Opened opened;
    qint64 outputBytes = 0;
    for (auto _ : state) {
        opened.loader.LoadResultFile(g_packagePath);
        const ResultTable &q = opened.loader.tables().QResultsCDS;
        const int content = q.fieldIndex(u"QCONTENT");
        for (int row = 0; row < q.rowCount(); ++row) {
            const QByteArray bytes = q.value(row, content).toByteArray();
            xmlDoc *doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NONET);
            for (auto &sheet : sheets) {
                xmlDoc *result = xsltApplyStylesheet(sheet.get(), doc, nullptr);
                xmlChar *text = nullptr;
                int length = 0;
                xsltSaveResultToString(&text, &length, result, sheet.get());
                outputBytes += length;
                xmlFree(text);
                xmlFreeDoc(result);
            }
            xmlFreeDoc(doc);
        }
    }
    benchmark::DoNotOptimize(outputBytes);
    state.counters["questions"] = opened.loader.tables().QResultsCDS.rowCount();
}

void BM_OpenAndPrepare(benchmark::State &state) {
    Opened opened;
    int pages = 0;
    for (auto _ : state) {
        opened.loader.LoadResultFile(g_packagePath);
        report::setUpHtmlView(opened.loader.packageStream(), stylesPath());
        report::ProtocolReport protocol(opened.loader.tables(), report::xmlValueFunction(stylesPath()),
                                        report::htmlViewFactory());
        const report::PreparedReport prepared = protocol.Prepare();
        if (!prepared.errors.isEmpty()) {
            state.SkipWithError(prepared.errors.first().toUtf8().constData());
            return;
        }
        pages = int(prepared.pages.size());
    }
    state.counters["pages"] = pages;
    state.counters["questions"] = opened.loader.tables().QResultsCDS.rowCount();
}

void BM_WritePdf(benchmark::State &state) {
    Opened opened;
    opened.loader.LoadResultFile(g_packagePath);
    report::setUpHtmlView(opened.loader.packageStream(), stylesPath());
    report::ProtocolReport protocol(opened.loader.tables(), report::xmlValueFunction(stylesPath()),
                                    report::htmlViewFactory());
    const report::PreparedReport prepared = protocol.Prepare();
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        report::writePdf(prepared, report::htmlViewFactory(), buffer);
        bytes = pdf.size();
    }
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["pages"] = double(prepared.pages.size());
}

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndPrepare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePdf)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--package=", 10) == 0)
            g_packagePath = QString::fromLocal8Bit(argv[i] + 10);
    if (g_packagePath.isEmpty()) {
        // The same package as the loading benchmark: let it write it.
        g_packagePath = dir.filePath(QStringLiteral("large.rzt"));
        const QString writer = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench_loading"));
        if (QProcess::execute(writer, {QStringLiteral("--write-package=") + g_packagePath}) != 0) {
            std::fprintf(stderr, "bench_report: cannot make the package with %s\n", qPrintable(writer));
            return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
