// Fuzzes the HTML content view: the first byte chooses the road — question content through
// qout.xsl (parse, picture rewrite, XSLT, HTML, layout), raw HTML (decoding, picture tokens,
// layout, slices, drawing), or a package for the picture loader.
#include "rezmira/report/html/ResourceLoaders.h"
#include "rezmira/report/html/TIMGResolver.h"
#include "rezmira/report/html/TfrxHTMLView.h"
#include "rezmira/report/html/TransformXmlValue.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray g_package;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    rezmira::HTMLViewStylesPath() = QStringLiteral(XSL_STYLES_DIR);
    rezmira::ImageResolver().OnResourceImage = [](const QString &name, QByteArray &target) {
        rezmira::LoadPackageResource(g_package, name, target);
    };
    rezmira::ImageResolver().OnFileImage = [](const QString &name, QByteArray &target) {
        rezmira::LoadStyleResource(rezmira::HTMLViewStylesPath(), name, target);
    };
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1 || size > 64 * 1024)
        return 0;
    const int mode = data[0] % 3;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (mode == 2) {
        QByteArray target;
        try {
            rezmira::LoadPackageResource(bytes, QStringLiteral("%5Cimages/q2.png"), target);
        } catch (const std::exception &) {
        }
        return 0;
    }
    rezmira::TfrxHTMLView view;
    if (mode == 0) {
        view.XSLStyle = QStringLiteral("qout.xsl");
        (void)rezmira::TransformXmlValue(bytes, QStringLiteral("useranswer.xsl"),
                                         rezmira::HTMLViewStylesPath());
    }
    try {
        view.FetchData(bytes);
    } catch (const std::exception &) {
        return 0;
    }
    const double height = view.CalcHeight(300);
    view.ResetParts();
    for (int part = 0; part < 8; ++part) {
        view.PaintNextPart(300, 120);
        if (!view.HasMoreParts())
            break;
    }
    QImage image(150, 60, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(0.5, 0.5);
    view.Paint(painter, QRectF(0, 0, 300, std::min(height, 120.0)));
    rezmira::TfrxHTMLView copy;
    copy.ReadHtmlCont(view.WriteHtmlCont());
    if (copy.WriteHtmlCont() != view.WriteHtmlCont())
        std::abort();
    return 0;
}
