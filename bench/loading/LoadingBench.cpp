// Opening a large result package (2,000 questions in 40 sections, a few KB of content each):
// LoadResultFile end to end, and separately unzip, parse and table filling.
// `bench_loading --write-package=FILE` writes the package for whole-run measurements and exits.
#include "rezmira/loading/ResultDocument.h"
#include "rezmira/loading/ResultLoader.h"
#include "rezmira/loading/TStreamUnZip.h"
#include "rezmira/loading/XMLTools.h"
#include "rezmira/shell/TSettingsObj.h"
#include "tools/ZipWriter.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstring>

using namespace rezmira;

namespace {

constexpr int kSections = 40;
constexpr int kQuestionsPerSection = 50;

QByteArray largeDocument() {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<result-out>\n"
                     "<user><last-name>Петров</last-name><first-name>Алексей</first-name>"
                     "<patronymic-name>Викторович</patronymic-name></user>\n"
                     "<test>Большой тест</test>\n<summary><begin><date><day>5</day><month>3</month>"
                     "<year>2009</year></date><time><hour>14</hour><min>7</min><sec>9</sec></time></begin>"
                     "<questions><count>2000</count><answered>2000</answered></questions>"
                     "<rating><max>4000</max><current>3000</current><in-percent>75</in-percent></rating>"
                     "<mark>Хорошо</mark></summary>\n";
    const QByteArray option = "Вариант ответа с достаточно длинным текстом, как в настоящих тестах. ";
    int number = 0;
    for (int s = 1; s <= kSections; ++s) {
        xml += "<section-out number=\"" + QByteArray::number(s) + "\"><section-name>Раздел " +
               QByteArray::number(s) + "</section-name><summary><questions><count>50</count>"
               "<answered>50</answered></questions><mark>Хорошо</mark></summary>\n";
        for (int q = 0; q < kQuestionsPerSection; ++q) {
            ++number;
            xml += "<question-out number=\"" + QByteArray::number(number) +
                   "\">\n  <summary><rating><max>2</max><current>1</current><in-percent>50</in-percent>"
                   "</rating><mark>Частично верно</mark></summary>\n  <question type=\"multiple\"><text>" +
                   QByteArray("Текст вопроса номер ") + QByteArray::number(number) + ". " + option.repeated(4) +
                   "</text>\n";
            for (int o = 1; o <= 6; ++o)
                xml += "    <option id=\"" + QByteArray::number(o) + "\">" + option.repeated(2) + "</option>\n";
            xml += "  </question>\n  <user-answer><option id=\"1\"/><option id=\"3\"/></user-answer>\n"
                   "  <right-answer><option id=\"1\"/><option id=\"2\"/></right-answer>\n</question-out>\n";
        }
        xml += "</section-out>\n";
    }
    return xml + "</result-out>\n";
}

const QByteArray &document() {
    static const QByteArray doc = largeDocument();
    return doc;
}

const QByteArray &package() {
    static const QByteArray zip = tools::makeZip({{"content.xml", document(), true}});
    return zip;
}

class NoKeys final : public KeyProvider {
public:
    bool AcquireKey() override { return false; }
};
class NoDecryptor final : public EnvelopeDecryptor {
public:
    void LoadEnvelope(const QByteArray &) override {}
    void DecryptDocument(QByteArray &) override {}
};

void addCounters(benchmark::State &state) {
    state.counters["package_bytes"] = double(package().size());
    state.counters["document_bytes"] = double(document().size());
}

void BM_LoadResultFile(benchmark::State &state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.rzt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(package()) != package().size()) {
        state.SkipWithError("cannot write the package");
        return;
    }
    file.close();
    NoKeys keys;
    NoDecryptor decryptor;
    TSettingsObj settings;
    ResultLoader loader(keys, decryptor, settings);
    for (auto _ : state) {
        loader.LoadResultFile(path);
        benchmark::DoNotOptimize(loader.tables().QResultsCDS.rowCount());
    }
    if (loader.tables().QResultsCDS.rowCount() != kSections * kQuestionsPerSection)
        state.SkipWithError("wrong number of question rows");
    addCounters(state);
}

void BM_Unzip(benchmark::State &state) {
    for (auto _ : state) {
        TStreamUnZip unzip;
        unzip.OpenArchive(package());
        QByteArray content;
        unzip.ExtractEntry("content.xml", content);
        benchmark::DoNotOptimize(content.size());
    }
    addCounters(state);
}

void BM_Parse(benchmark::State &state) {
    for (auto _ : state) {
        XmlDocPtr doc = parseXmlDocument(document());
        benchmark::DoNotOptimize(doc.get());
    }
    addCounters(state);
}

void BM_FillTables(benchmark::State &state) {
    XmlDocPtr doc = parseXmlDocument(document());
    ResultTables tables;
    for (auto _ : state) {
        tables.ResetTables();
        ReadResultDocument(tables, xmlDocGetRootElement(doc.get()));
        benchmark::DoNotOptimize(tables.QResultsCDS.rowCount());
    }
    addCounters(state);
}

BENCHMARK(BM_LoadResultFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unzip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillTables)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-package=", 16) == 0) {
            QFile out(QString::fromLocal8Bit(argv[i] + 16));
            return out.open(QIODevice::WriteOnly) && out.write(package()) == package().size() ? 0 : 1;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
