#include "rezmira/report/engine/PdfExport.h"

#include "rezmira/Error.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>

namespace rezmira::report {

namespace {
constexpr int kResolution = 1200;

QPageSize pageSizeOf(const PreparedReport &report) {
    if (std::abs(report.paperWidthMm - 210) < 0.1 && std::abs(report.paperHeightMm - 297) < 0.1)
        return QPageSize(QPageSize::A4);
    return QPageSize(QSizeF(report.paperWidthMm, report.paperHeightMm), QPageSize::Millimeter);
}
} // namespace

void writePdf(const PreparedReport &report, const StretchObjectFactory &factory, QIODevice &device,
              const QString &title) {
    if (report.pages.isEmpty())
        throw Error(QStringLiteral("Отчёт не содержит страниц"));
    QPdfWriter writer(&device);
    writer.setResolution(kResolution);
    writer.setCreator(QStringLiteral("Rezmira"));
    writer.setTitle(title);
    // The prepared pages carry their margins already: the PDF page has none of its own.
    writer.setPageLayout(QPageLayout(pageSizeOf(report), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer))
        throw Error(QStringLiteral("Не удается записать PDF"));
    const double scale = kResolution / 96.0;
    for (int i = 0; i < report.pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.save();
        painter.scale(scale, scale);
        report.drawPage(i, painter, factory);
        painter.restore();
    }
    painter.end();
}

void exportPdf(const PreparedReport &report, const StretchObjectFactory &factory, const QString &fileName,
               const QString &title) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Не удается записать файл %1: %2").arg(fileName, file.errorString()));
    writePdf(report, factory, file, title);
    if (!file.commit())
        throw Error(QStringLiteral("Не удается записать файл %1: %2").arg(fileName, file.errorString()));
}

} // namespace rezmira::report
