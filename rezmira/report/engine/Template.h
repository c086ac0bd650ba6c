// The report template: a page of bands in design order, each holding memos, pictures and
// stretchable objects, read from our XML template format.
#pragma once

#include "rezmira/report/engine/StretchObject.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

#include <functional>

namespace rezmira::report {

/// A font as the template states it: family, character height in pixels at 96 dpi.
struct FontSpec {
    QString family = QStringLiteral("Arial");
    double pixelSize = 13.333; ///< Arial 10 pt
    bool bold = false;
    bool italic = false;
    QColor color = Qt::black;
};

enum class HAlign { Left, Center, Right };
/// Where an object sits in its band beyond its own position: baClient fills the band, baRight
/// keeps it at the band's right edge.
enum class ObjectAlign { None, Client, Right };
enum class StretchMode { DontStretch, ActualHeight };

struct ReportObject {
    enum class Kind { Memo, Picture, Stretch };
    Kind kind = Kind::Memo;
    QString name;
    QRectF rect; ///< in its band (or on the page for page objects), report units
    bool visible = true;
    ObjectAlign align = ObjectAlign::None;
    StretchMode stretchMode = StretchMode::DontStretch;
    QString onAfterData; ///< handler name, empty for none

    // Memo
    QString text; ///< may hold [expressions]
    FontSpec font;
    QColor fill; ///< invalid: no fill
    HAlign hAlign = HAlign::Left;
    bool wordWrap = true;
    bool allowHtmlTags = false;

    // Picture
    QImage picture; ///< may carry a device pixel ratio; its logical size is the picture's size
    bool autoSize = false;

    // Stretchable object: its kind and properties, and the field it shows
    StretchObjectSpec spec;
    QString dataSet;   ///< data source name
    QString dataField; ///< alias shown (also kept for memos, informational)
};

enum class BandKind { ReportTitle, Header, MasterData, GroupHeader, GroupFooter, PageFooter };

struct Band {
    BandKind kind = BandKind::MasterData;
    QString name;
    double top = 0; ///< design position: bands are processed in this order
    double height = 0;
    bool visible = true;
    bool stretched = false;
    QString dataSet;   ///< master data: its data source; empty for RowCount rows
    int rowCount = 0;  ///< master data without a data source: rows printed
    QString condition; ///< group header: the expression whose change starts a group
    QString onBeforePrint;
    QList<ReportObject> objects; ///< in drawing order
};

struct ReportTemplate {
    QString name;
    FontSpec defaultFont;
    double paperWidthMm = 210, paperHeightMm = 297;
    double marginLeftMm = 10, marginRightMm = 5, marginTopMm = 10, marginBottomMm = 5;
    QList<Band> bands;               ///< sorted by design top
    QList<ReportObject> pageObjects; ///< objects outside the bands (hidden pictures)

    Band *band(QStringView name);
    ReportObject *object(QStringView name); ///< in any band or on the page
    const ReportObject *object(QStringView name) const;
};

/// Report units (1/96 inch) per millimetre.
inline constexpr double kUnitsPerMm = 96.0 / 25.4;

/// Resolves a picture reference of the template (the `picture` attribute) to an image.
using PictureProvider = std::function<QImage(const QString &name)>;

/// Reads a template from our XML format. Throws rezmira::Error on malformed XML, an unknown
/// element or band kind, or a missing required attribute. Pictures are resolved through
/// `pictures` (a reference it cannot resolve gives an empty picture).
ReportTemplate loadTemplate(const QByteArray &xml, const PictureProvider &pictures = {});

} // namespace rezmira::report
