// Writing a prepared document as a PDF file.
#include "rezmira/shell/PdfExport.h"

#include "rezmira/Error.h"
#include "rezmira/shell/PreparedDocument.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

namespace rezmira {

namespace {

QPageSize pageSizeOf(const QSizeF &units) {
    // 1/96 inch to points (1/72 inch).
    return QPageSize(units * 72.0 / 96.0, QPageSize::Point, QString(), QPageSize::ExactMatch);
}

} // namespace

bool paintPreparedPages(QPagedPaintDevice &device, const PreparedDocument &document, int first,
                        int last) {
    first = std::max(first, 0);
    last = std::min(last, document.pageCount() - 1);
    if (first > last)
        return false;
    device.setPageLayout(
        QPageLayout(pageSizeOf(document.pageSize(first)), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double scale = device.logicalDpiX() / 96.0;
    for (int i = first; i <= last; ++i) {
        if (i > first) {
            device.setPageSize(pageSizeOf(document.pageSize(i)));
            device.newPage();
        }
        painter.save();
        painter.scale(scale, scale);
        document.drawPage(i, painter);
        painter.restore();
    }
    return painter.end();
}

void exportPreparedPdf(const PreparedDocument &document, const QString &path) {
    const Error failed(QStringLiteral("Unable to write to %1").arg(path));
    QSaveFile file(path);
    if (document.pageCount() <= 0 || !file.open(QIODevice::WriteOnly))
        throw failed;
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setCreator(QStringLiteral("Rezmira"));
        writer.setResolution(1200);
        painted = paintPreparedPages(writer, document, 0, document.pageCount() - 1);
    }
    if (!painted || !file.commit())
        throw failed;
}

void PreparedDocument::writePdf(const QString &path) const { exportPreparedPdf(*this, path); }

} // namespace rezmira
