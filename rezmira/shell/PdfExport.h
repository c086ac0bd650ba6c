// Writing a prepared document as a PDF file, without a window.
#pragma once

#include <QString>

class QPagedPaintDevice;

namespace rezmira {

class PreparedDocument;

/// Paints pages `first` … `last` (0-based, clamped to the document) of `document` onto a paged
/// device that is already set up (a PDF writer or a printer in full-page mode), one device page
/// per report page, each device page sized to its report page. Answers false when the device
/// could not be painted on.
bool paintPreparedPages(QPagedPaintDevice &device, const PreparedDocument &document, int first,
                        int last);

/// Writes every page of `document` to `path` as a vector PDF, each PDF page the size of its
/// report page. The file is replaced atomically. Throws rezmira::Error("Unable to write to
/// <path>") when it cannot be written; an empty document writes nothing and throws the same.
void exportPreparedPdf(const PreparedDocument &document, const QString &path);

} // namespace rezmira
