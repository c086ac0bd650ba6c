// What the viewer's preview, printing and PDF export need of a prepared report: a number of
// pages, each with a size, each drawable onto any QPainter.
#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;

namespace rezmira {

/// A prepared, read-only multi-page document. Units are report units, 1/96 inch.
/// Called from the user-interface thread only.
class PreparedDocument {
public:
    virtual ~PreparedDocument() = default;

    /// Number of pages, 0 or more.
    virtual int pageCount() const = 0;

    /// Size of page `index` (0-based, 0 <= index < pageCount()) in 1/96 inch.
    virtual QSizeF pageSize(int index) const = 0;

    /// Draws page `index` with its top-left corner at the painter's origin, in 1/96 inch in the
    /// painter's current coordinate system (the caller scales for zoom or device resolution).
    /// The page background is painted white. Must not throw.
    virtual void drawPage(int index, QPainter &painter) const = 0;

    /// Writes every page to `path` as a PDF file, atomically. Throws rezmira::Error when the
    /// file cannot be written or there is no page.
    virtual void writePdf(const QString &path) const;
};

/// What an open produces: the prepared report and the errors collected while preparing it.
struct OpenedReport {
    std::shared_ptr<const PreparedDocument> pages;
    QStringList errors;
};

} // namespace rezmira
