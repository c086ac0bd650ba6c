// Per-question cost of the HTML content view for a 2,000-question result, against the floor:
// parsing the question and applying qout.xsl, useranswer.xsl and rightanswer.xsl with libxslt.
#include "rezmira/report/html/TIMGResolver.h"
#include "rezmira/report/html/TfrxHTMLView.h"
#include "rezmira/report/html/TransformXmlValue.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <vector>

namespace {

const QString kStyles = QStringLiteral(XSL_STYLES_DIR);
constexpr int kQuestions = 2000;

std::vector<QByteArray> questions() {
    std::vector<QByteArray> out;
    for (int i = 0; i < kQuestions; ++i) {
        QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                     "<question-out number=\"%1\"><question type=\"%2\"><text>")
                          .arg(i + 1)
                          .arg(i % 3 == 0 ? "multiple" : "single");
        for (int w = 0; w < 10 + i % 40; ++w)
            xml += QString::fromUtf8("слово%1 ").arg(w);
        if (i % 5 == 0)
            xml += "<img src=\"images/q" + QString::number(i) + ".png\"/>";
        xml += "</text>";
        const int options = 3 + i % 3;
        for (int o = 1; o <= options; ++o)
            xml += QString::fromUtf8("<option id=\"%1\">Вариант ответа номер %1 к вопросу</option>")
                       .arg(o);
        xml += "</question><user-answer><option id=\"1\"/></user-answer>"
               "<right-answer><option id=\"1\"/><option id=\"2\"/></right-answer></question-out>";
        out.push_back("\xEF\xBB\xBF" + xml.toUtf8());
    }
    return out;
}

const std::vector<QByteArray> &data() {
    static const std::vector<QByteArray> all = questions();
    return all;
}

void BM_Floor_ParseAndThreeStyleSheets(benchmark::State &state) {
    const QByteArray dir = kStyles.toUtf8();
    xsltStylesheetPtr q = xsltParseStylesheetFile(BAD_CAST(dir + "/qout.xsl").constData());
    xsltStylesheetPtr u = xsltParseStylesheetFile(BAD_CAST(dir + "/useranswer.xsl").constData());
    xsltStylesheetPtr r = xsltParseStylesheetFile(BAD_CAST(dir + "/rightanswer.xsl").constData());
    for (auto _ : state) {
        for (const QByteArray &bytes : data()) {
            xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr,
                                          XML_PARSE_NONET);
            for (xsltStylesheetPtr style : {q, u, r}) {
                xmlDocPtr res = xsltApplyStylesheet(style, doc, nullptr);
                xmlChar *out = nullptr;
                int len = 0;
                xsltSaveResultToString(&out, &len, res, style);
                benchmark::DoNotOptimize(len);
                xmlFree(out);
                xmlFreeDoc(res);
            }
            xmlFreeDoc(doc);
        }
    }
    xsltFreeStylesheet(q);
    xsltFreeStylesheet(u);
    xsltFreeStylesheet(r);
    state.SetItemsProcessed(state.iterations() * kQuestions);
}
BENCHMARK(BM_Floor_ParseAndThreeStyleSheets)->Unit(benchmark::kMillisecond);

// What preparing the protocol does per question: the view fetches, measures and is stored; the
// two answer lines are XMLValue calls.
void BM_Prepare_ViewAndAnswers(benchmark::State &state) {
    rezmira::HTMLViewStylesPath() = kStyles;
    rezmira::TfrxHTMLView view;
    view.XSLStyle = QStringLiteral("qout.xsl");
    qint64 stored = 0;
    for (auto _ : state) {
        for (const QByteArray &bytes : data()) {
            view.FetchData(bytes);
            benchmark::DoNotOptimize(view.CalcHeight(699.21));
            benchmark::DoNotOptimize(rezmira::TransformXmlValue(bytes, "useranswer.xsl", kStyles));
            benchmark::DoNotOptimize(rezmira::TransformXmlValue(bytes, "rightanswer.xsl", kStyles));
            stored += view.WriteHtmlCont().size();
        }
    }
    state.counters["stored_bytes_per_question"] =
        double(stored) / double(state.iterations() * kQuestions);
    state.SetItemsProcessed(state.iterations() * kQuestions);
}
BENCHMARK(BM_Prepare_ViewAndAnswers)->Unit(benchmark::kMillisecond);

// Drawing a stored question block, as a preview page or a PDF does: restore, lay out, paint.
void BM_Draw_StoredBlocks(benchmark::State &state) {
    rezmira::HTMLViewStylesPath() = kStyles;
    std::vector<QByteArray> blocks;
    {
        rezmira::TfrxHTMLView view;
        view.XSLStyle = QStringLiteral("qout.xsl");
        for (const QByteArray &bytes : data()) {
            view.FetchData(bytes);
            blocks.push_back(view.WriteHtmlCont());
        }
    }
    QImage page(794, 1123, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&page);
        for (const QByteArray &block : blocks) {
            rezmira::TfrxHTMLView view;
            view.ReadHtmlCont(block);
            view.Paint(painter, QRectF(11.34, 100, 699.21, view.CalcHeight(699.21)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kQuestions);
}
BENCHMARK(BM_Draw_StoredBlocks)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
