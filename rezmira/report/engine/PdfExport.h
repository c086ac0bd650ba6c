// PDF export of prepared pages: vector output with embedded fonts and selectable text, headless.
#pragma once

#include "rezmira/report/engine/Prepared.h"

#include <QString>

class QIODevice;

namespace rezmira::report {

/// Writes every page of `report` into `device` as one PDF page of the report's paper size (A4
/// for the protocol), drawn at 1200 dpi with the layout's own margins. Text stays text (fonts
/// are embedded as subsets). Throws rezmira::Error when the report has no page or the device
/// cannot be written.
void writePdf(const PreparedReport &report, const StretchObjectFactory &factory, QIODevice &device,
              const QString &title = {});

/// Writes the PDF to `fileName` atomically: the file appears complete or not at all (an existing
/// file is replaced only on success). Throws rezmira::Error naming the file when it cannot be
/// written.
void exportPdf(const PreparedReport &report, const StretchObjectFactory &factory, const QString &fileName,
               const QString &title = {});

} // namespace rezmira::report
