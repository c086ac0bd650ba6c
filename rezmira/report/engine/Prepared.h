// Prepared pages: the display list a preparation produces, drawable on any QPainter (preview,
// printer, PDF), and its structural text dump.
#pragma once

#include "rezmira/report/engine/StretchObject.h"
#include "rezmira/report/engine/Template.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;

namespace rezmira::report {

/// A piece of memo text with its own look; an invalid colour means the memo's font colour.
struct TextRun {
    QString text;
    QColor color;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

/// Splits a memo text into runs. With `htmlTags` the tags <font color=…>, </font>, <b>, <i>, <u>
/// and their closing tags change the look of the enclosed text; any other text, including other
/// tags, stays as it is.
QList<TextRun> parseMemoRuns(const QString &text, bool htmlTags);

/// The height, in report units, of one line of memo text in `font` (line spacing included).
double memoLineHeight(const FontSpec &font);
/// The space a memo keeps above its first line and below its last, in report units.
double memoVerticalGap();

/// The height, in report units, a memo needs to show `runs` at `width` units with word wrap
/// (its inner gaps included).
double memoTextHeight(const QList<TextRun> &runs, const FontSpec &font, bool wordWrap, double width);

/// One drawn object of a prepared page. Rects are in report units from the paper's top-left
/// corner.
struct PreparedObject {
    ReportObject::Kind kind = ReportObject::Kind::Memo;
    QString band;
    QString name;
    QRectF rect;

    // Memo
    QList<TextRun> runs;
    FontSpec font;
    QColor fill;
    HAlign hAlign = HAlign::Left;
    bool wordWrap = true;
    /// Of a memo split over pages: how far down its text this part starts (whole lines), units.
    double textOffset = 0;

    // Picture
    QImage picture;
    QString pictureName; ///< the object the picture came from (the template's own, or a copy's source)

    // Stretchable object: its spec and its stored state (e.g. HtmlCont bytes)
    std::shared_ptr<const StretchObjectSpec> spec;
    QByteArray state;

    /// The memo's shown text (the runs joined).
    QString text() const;
};

struct PreparedPage {
    QList<PreparedObject> objects; ///< in drawing order
};

struct PreparedReport {
    double paperWidthMm = 210, paperHeightMm = 297;
    QList<PreparedPage> pages;
    /// Messages of the errors that stopped the preparation; empty when it succeeded.
    QStringList errors;

    /// Page size in report units.
    QSizeF pageSize() const;

    /// Draws page `index` (from 0). The painter's coordinates must be report units from the
    /// paper's top-left corner (scale it for other resolutions). Stretchable objects are
    /// recreated through `factory` from their stored state; an object the factory does not know
    /// is left blank.
    void drawPage(int index, QPainter &painter, const StretchObjectFactory &factory) const;

    /// A text dump, one line per object: page, band/object, kind, rect (two decimals) and the
    /// text, picture source or stored state size. Stable across font hinting, for golden tests.
    QString dump() const;
};

/// The QFont of a font spec, with hinting off so that layout is the same on every device.
QFont makeFont(const FontSpec &spec);

} // namespace rezmira::report
