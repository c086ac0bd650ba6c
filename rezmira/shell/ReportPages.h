// The report engine's prepared pages seen as the viewer's PreparedDocument.
#pragma once

#include "rezmira/report/engine/Prepared.h"
#include "rezmira/report/engine/StretchObject.h"
#include "rezmira/shell/PreparedDocument.h"

namespace rezmira {

/// Prepared report pages with the factory that redraws their stretchable objects. Every page
/// has the report's paper size. PDF output goes through the report engine's own export.
class ReportPages final : public PreparedDocument {
public:
    ReportPages(report::PreparedReport report, report::StretchObjectFactory factory);

    int pageCount() const override;
    QSizeF pageSize(int index) const override;
    void drawPage(int index, QPainter &painter) const override;
    void writePdf(const QString &path) const override;

    const report::PreparedReport &report() const { return m_report; }

private:
    report::PreparedReport m_report;
    report::StretchObjectFactory m_factory;
};

} // namespace rezmira
