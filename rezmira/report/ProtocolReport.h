// The protocol report: the template MAINREPORT, its four event handlers, the result icons, and
// the report engine set up over MainQuery and the XMLValue function.
#pragma once

#include "rezmira/loading/ResultTable.h"
#include "rezmira/report/MainQuery.h"
#include "rezmira/report/engine/ReportEngine.h"

#include <QImage>

#include <functional>
#include <memory>

namespace rezmira::report {

/// The report function XMLValue: the text of a question content (`content`, the stored bytes)
/// transformed with the style sheet `styleName` of the styles folder; never throws (a failure
/// answers the error's message).
using XmlValueFunction = std::function<QString(const QByteArray &content, const QString &styleName)>;

/// The template's XML as embedded in the program.
QByteArray mainReportResource();

enum class ResultIcon { Full, Partial, None };
/// A result icon, 16 × 16 units, maroon on #F0F0F0: a filled disc, a ring with its lower half
/// filled, an empty ring. Drawn at four times the resolution so print and PDF stay sharp.
QImage resultIcon(ResultIcon icon);

/// The template MAINREPORT with its icons. Throws rezmira::Error when the embedded template is
/// broken (a build fault).
ReportTemplate loadMainReport();

/// Binds the template's handlers (Header3OnBeforePrint, Header2OnBeforePrint, Memo29OnAfterData,
/// Picture3OnAfterData) to `engine` by name.
void addProtocolHandlers(ReportEngine &engine);

/// The protocol report over one set of result tables.
class ProtocolReport {
public:
    /// `tables` must outlive the report. `factory` makes the HTML content objects.
    ProtocolReport(const ResultTables &tables, XmlValueFunction xmlValue, StretchObjectFactory factory);

    /// Prepares the report from the template as loaded (see ReportEngine::prepare).
    PreparedReport Prepare() { return m_engine.prepare(); }

    ReportEngine &engine() { return m_engine; }
    MainQuery &mainQuery() { return m_query; }

private:
    MainQuery m_query;
    ReportEngine m_engine;
};

} // namespace rezmira::report
