// The report engine's prepared pages seen as the viewer's PreparedDocument.
#include "rezmira/shell/ReportPages.h"

#include "rezmira/report/engine/PdfExport.h"

#include <QPainter>

namespace rezmira {

ReportPages::ReportPages(report::PreparedReport report, report::StretchObjectFactory factory)
    : m_report(std::move(report)), m_factory(std::move(factory)) {}

int ReportPages::pageCount() const { return int(m_report.pages.size()); }

QSizeF ReportPages::pageSize(int) const { return m_report.pageSize(); }

void ReportPages::drawPage(int index, QPainter &painter) const {
    painter.fillRect(QRectF(QPointF(0, 0), m_report.pageSize()), Qt::white);
    m_report.drawPage(index, painter, m_factory);
}

void ReportPages::writePdf(const QString &path) const {
    report::exportPdf(m_report, m_factory, path, QStringLiteral("Протокол тестирования"));
}

} // namespace rezmira
