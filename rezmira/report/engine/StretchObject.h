// The interface of report objects whose height follows their content and that can be drawn in
// parts when their band is split over pages (the HTML content view is one). The engine measures,
// splits, stores and draws such objects only through this interface.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QRectF>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class QPainter;

namespace rezmira::report {

/// A stretchable report object. Units are report units: 1/96 inch (screen pixels at 96 dpi).
///
/// Life of one object during a preparation (one object per template object, reused for every
/// row of its band):
///   1. `FetchData(value)` once per printed row, with the value of the bound field of the current
///      row (a null QVariant when the object has no binding or the field is unknown). It may throw
///      rezmira::Error; the engine then stops the preparation and reports the message.
///   2. `CalcHeight(width)` when the object stretches: the height its content needs at `width`.
///   3. When the band is split over pages: `ResetParts()` once, then `PaintNextPart(width,
///      height)` once per part, with `height` the space left on the page for the object. Each call
///      lays out the next slice, starting where the previous part's whole lines ended (the first
///      after `ResetParts` starts at 0), and answers the free space left in the part:
///      `height` − the height of the whole lines (or whole pictures) that fit. A part whose free
///      space equals `height` drew nothing (the engine then moves on to a new page). When that
///      happens on a fresh page, the engine calls once more for the same part, at the same
///      place: the object may then cut a line or picture taller than a page; if it lays out
///      nothing again, the engine stores the part at the whole space anyway, so a split ends.
///   4. `WriteState()` whenever the engine stores the object in the prepared pages: a byte block
///      holding the current content and part state (for the HTML view, the HtmlCont format).
///
/// Drawing a prepared page: the engine creates a fresh object through the factory, calls
/// `ReadState(bytes)` with the stored block and then `Paint`. Drawing never depends on the
/// object used while preparing, and the prepared pages hold only the byte blocks.
class StretchObject {
public:
    virtual ~StretchObject() = default;

    /// Loads the content shown for the current row (see above). Loading new content starts its
    /// slicing at offset 0.
    virtual void FetchData(const QVariant &value) = 0;

    /// The height the current content needs when laid out `width` units wide (content height
    /// plus the object's own padding). Never negative.
    virtual double CalcHeight(double width) = 0;

    /// Starts a new split: the next `PaintNextPart` lays out from the top of the content.
    virtual void ResetParts() = 0;

    /// Lays out the next slice at `width` into at most `height` units and answers the free space
    /// left (`height` minus the height of the whole lines laid out). May throw rezmira::Error.
    virtual double PaintNextPart(double width, double height) = 0;

    /// The stored form of the current content and part state.
    virtual QByteArray WriteState() const = 0;

    /// Restores a state written by `WriteState`; writing it again gives the same bytes.
    virtual void ReadState(const QByteArray &state) = 0;

    /// Draws the current slice into `rect`, given in report units in the painter's current
    /// coordinate system (the painter may be scaled: a zoomed preview, a 1200 dpi printer, a PDF).
    /// Drawing should stay vector where the target allows it (text selectable in a PDF). The rect
    /// is covered with white first. Must not throw.
    virtual void Paint(QPainter &painter, const QRectF &rect) = 0;
};

/// What the template says about one stretchable object: its kind ("HTML"), its name ("HTML1")
/// and its remaining properties as text (e.g. "XSLStyle" → "qout.xsl").
struct StretchObjectSpec {
    QString kind;
    QString name;
    QHash<QString, QString> properties;
};

/// Creates an object for a spec, or nullptr for an unknown kind (the engine then reports the
/// template as broken). Supplied by the program; tests supply a stand-in.
using StretchObjectFactory =
    std::function<std::unique_ptr<StretchObject>(const StretchObjectSpec &spec)>;

} // namespace rezmira::report
