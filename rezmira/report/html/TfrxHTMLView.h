// The report object that shows a field's XML as HTML rendered through an XSL style sheet: it
// measures, slices and draws the content for the report engine.
#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QVariant>

#include "rezmira/report/html/XslSupport.h"

#include <cstdint>
#include <memory>

class QPainter;

namespace rezmira {

class HtmlDocument;

/// One HTML content object of a report. Units are report units, 1/96 inch, which equal screen
/// pixels at 96 dpi; widths and heights given to the methods are rounded to whole units (halves
/// to even). The content is laid out as by a browser with a white page, base font Times New Roman
/// 12 pt (16 units), preformatted text in Courier New and margins of 10 units left and right and 5
/// at top and bottom. Pictures are asked for through `ImageResolver()`; those whose bytes are not
/// PNG, JPEG, GIF or BMP are not shown. Nothing is read from disk or the network otherwise.
///
/// The object holds its content as bytes; the layout is made when first needed and kept while
/// the content and width stay the same. An object restored with `ReadHtmlCont` therefore costs
/// no layout until it is measured or drawn. Main thread only.
class TfrxHTMLView {
public:
    TfrxHTMLView();
    ~TfrxHTMLView();
    TfrxHTMLView(const TfrxHTMLView &) = delete;
    TfrxHTMLView &operator=(const TfrxHTMLView &) = delete;

    /// File name of the XSL style sheet, relative to `HTMLViewStylesPath()` (sub-folders may be
    /// named with "\" or "/"); empty means the field's bytes are shown as HTML unchanged.
    QString XSLStyle;

    /// Loads the value of the bound field for the current row. An invalid QVariant (no binding,
    /// unknown field) loads nothing and keeps the current content. A byte array is taken as it
    /// is, any other value as the UTF-8 bytes of its text; an empty value shows an empty
    /// document. New content starts its slicing at offset 0.
    /// Throws rezmira::Error "Не найдена таблица стилей" when the style sheet is not in the
    /// styles folder, and "Cannot Apply XSL stylesheet" when it cannot be applied.
    void FetchData(const QVariant &value);

    /// Turns the current content into the document shown: with a style sheet, the content is
    /// parsed as XML (not well-formed gives an empty document), its src attributes are rewritten
    /// to "htmlres://" references and the style sheet's HTML output becomes the content. Throws
    /// as `FetchData`.
    void LoadContent();

    /// Applies the style sheet `styleName` (relative to the styles folder) to the content parsed
    /// by the last `LoadContent` and answers the HTML, UTF-8. Throws "Не найдена таблица стилей" when there is no
    /// such file inside the folder, "Cannot Apply XSL stylesheet" when the processor fails.
    QByteArray ApplyXSLStyle(const QString &styleName);

    /// The height the content needs at `width`: the laid-out document height plus 5; 5 for a
    /// width below 1.
    double CalcHeight(double width);

    /// Starts a new split: offset and part height become 0.
    void ResetParts();

    /// Lays out the next slice of a split band: the previous part's height is added to the offset,
    /// then as many whole lines and pictures as fit into `height` from there make this part.
    /// Answers the free space, `height` minus the part's height (the whole height when nothing
    /// fitted; the engine then moves on to a new page). When nothing fitted on the previous call
    /// either, at the same offset, the line or picture there is taller than a whole part: it is
    /// cut at the part's bottom, so a split always ends. An engine that finds nothing fitting on
    /// a fresh page should therefore call again for the same part rather than force the part.
    /// Positive free space with `HasMoreParts()` false means the content ended in this part.
    double PaintNextPart(double width, double height);

    /// Whether content remains below the slice laid out last.
    bool HasMoreParts();

    /// Draws the current slice into `rect` (report units in the painter's coordinate system; the
    /// painter may be scaled): the rectangle is covered with white, and the document is drawn as
    /// vectors from the part offset down to the last whole line that fits. Never throws.
    void Paint(QPainter &painter, const QRectF &rect);

    /// The stored form: part offset and part height (4 bytes each, signed, little-endian), then
    /// the content bytes.
    QByteArray WriteHtmlCont() const;

    /// Restores a stored form: the content is taken as finished HTML (no style sheet step). A
    /// block shorter than 8 bytes gives offset 0, height 0 and no content.
    void ReadHtmlCont(const QByteArray &block);

    std::int32_t FPartOffset() const { return m_partOffset; }
    std::int32_t FPartHeight() const { return m_partHeight; }
    /// The document shown: the style sheet's HTML, or the field's bytes.
    const QByteArray &FContent() const { return m_content; }

private:
    HtmlDocument *document(int width);
    int sliceHeight(int width, int offset, int height);

    std::int32_t m_partOffset = 0;
    std::int32_t m_partHeight = 0;
    QByteArray m_content;
    xsl::XmlDocPtr m_model;
    std::unique_ptr<HtmlDocument> m_document;
    int m_layoutWidth = -1;
    bool m_stalled = false;
};

} // namespace rezmira
