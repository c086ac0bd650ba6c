// The HTML content view on QTextDocument: content loading through XSL, lazy layout, slicing at
// whole lines, vector drawing, the stored HtmlCont form, and picture requests.
#include "rezmira/report/html/TfrxHTMLView.h"

#include "rezmira/Error.h"
#include "rezmira/report/html/HtmlText.h"
#include "rezmira/report/html/ImageReferences.h"
#include "rezmira/report/html/TIMGResolver.h"
#include "rezmira/report/html/XslSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QUrl>
#include <QtEndian>

#include <libxml/tree.h>

#include <algorithm>
#include <cmath>

namespace rezmira {

namespace {

const QString kTokenPrefix = QStringLiteral("rzimg:");

// Report units, rounded half to even.
int roundUnits(double value) {
    if (!std::isfinite(value))
        return 0;
    return int(std::clamp(std::nearbyint(value), -1.0e9, 1.0e9));
}

// Only these formats are decoded; anything else (SVG above all, which could name local files)
// gives no picture.
const char *pictureFormat(const QByteArray &bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return "PNG";
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return "JPEG";
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return "GIF";
    if (bytes.startsWith("BM"))
        return "BMP";
    return nullptr;
}

QImage noPicture() {
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// An empty document (no text, no picture) has no lines: only its top and bottom margins.
double contentHeight(QTextDocument *doc) {
    return doc->isEmpty() ? 10.0 : doc->documentLayout()->documentSize().height();
}

// The block of the root frame that begins above `y` and has lines below it, or an invalid block.
// Blocks inside tables are left to the layout.
QTextBlock blockRunningInto(QTextDocument *doc, double y) {
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QRectF rect = layout->blockBoundingRect(block);
        if (rect.bottom() <= y)
            continue;
        if (rect.top() >= y || QTextCursor(block).currentFrame() != doc->rootFrame())
            return QTextBlock();
        const QTextLayout *lines = block.layout();
        if (lines->lineCount() > 1 && rect.top() + lines->lineAt(0).y() < y)
            return block;
        return QTextBlock();
    }
    return QTextBlock();
}

// Draws the lines of `block` that lie between `top` and `end` (document coordinates), each
// once, with the block's background.
void drawLinesFrom(QPainter &painter, QTextDocument *doc, const QTextBlock &block, double top, double end) {
    const QRectF rect = doc->documentLayout()->blockBoundingRect(block);
    const QBrush background = block.blockFormat().background();
    if (background.style() != Qt::NoBrush) {
        const QRectF shown = rect & QRectF(rect.left(), top - 1, rect.width(), end - top + 2);
        if (!shown.isEmpty())
            painter.fillRect(shown, background);
    }
    const QTextLayout *lines = block.layout();
    painter.setPen(Qt::black);
    for (int i = 0; i < lines->lineCount(); ++i) {
        const QTextLine line = lines->lineAt(i);
        const double lineTop = rect.top() + line.y();
        if (lineTop + line.height() < top || lineTop > end)
            continue;
        line.draw(&painter, lines->position());
    }
}

} // namespace

/// The renderer's document: picture references were replaced by tokens before the HTML was set
/// (Qt would mangle escaped or backslashed references into invalid URLs); every resource request
/// is answered here, so nothing ever falls back to Qt's own file loading.
class HtmlDocument : public QTextDocument {
public:
    explicit HtmlDocument(const QByteArray &content) {
        setUndoRedoEnabled(false);
        // Laid out against the screen's font metrics: Qt's layout for a device of its own (fixed
        // resolution, design metrics) costs more than twice as much per question. Sizes in the
        // content given in pixels are report units; points follow the screen's logical DPI
        // (96 offscreen and on most desktops).
        QFont base(QStringLiteral("Times New Roman"));
        base.setPixelSize(16);
        setDefaultFont(base);
        if (content.isEmpty()) {
            setFixedMargins();
            return;
        }
        // Space around the markup means nothing, but Qt would give the text after the closing
        // tag (the serialiser's final line break) its own font and so a taller last line.
        const QString html = DecodeHtmlBytes(content).trimmed();
        // Parsed for every document, so only set when the content has preformatted text.
        static const QRegularExpression fixed(QStringLiteral("<(pre|code|tt|kbd|samp)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
        if (html.contains(fixed))
            setDefaultStyleSheet(QStringLiteral(
                "pre, code, tt, kbd, samp { font-family: 'Courier New'; }"));
        setHtml(TokeniseImageSources(html, kTokenPrefix, m_references));
        setFixedMargins();
    }

private:
    void setFixedMargins() {
        setDocumentMargin(0);
        QTextFrameFormat frame = rootFrame()->frameFormat();
        frame.setLeftMargin(10);
        frame.setRightMargin(10);
        frame.setTopMargin(5);
        frame.setBottomMargin(5);
        rootFrame()->setFrameFormat(frame);
    }

protected:
    QVariant loadResource(int type, const QUrl &name) override {
        if (type != QTextDocument::ImageResource)
            return QVariant(QString());
        const QString key = name.toString();
        if (auto it = m_pictures.constFind(key); it != m_pictures.constEnd())
            return it.value();
        QString reference = key;
        if (key.startsWith(kTokenPrefix)) {
            bool ok = false;
            const qsizetype index = key.mid(kTokenPrefix.size()).toLongLong(&ok);
            if (ok && index >= 0 && index < m_references.size())
                reference = m_references.at(index);
        }
        QImage picture;
        try {
            // Every request starts from an empty stream: a picture that is not found shows
            // nothing, never the bytes of the picture asked for before.
            QByteArray stream;
            ImageResolver().ResolveImage(reference.trimmed(), stream);
            if (const char *format = pictureFormat(stream))
                picture.loadFromData(stream, format);
        } catch (...) {
            picture = QImage();
        }
        if (picture.isNull())
            picture = noPicture();
        m_pictures.insert(key, picture);
        return picture;
    }

private:
    QStringList m_references;
    QHash<QString, QImage> m_pictures;
};

TfrxHTMLView::TfrxHTMLView() = default;
TfrxHTMLView::~TfrxHTMLView() = default;

void TfrxHTMLView::FetchData(const QVariant &value) {
    if (!value.isValid())
        return;
    if (value.typeId() == QMetaType::QByteArray)
        m_content = value.toByteArray();
    else
        m_content = value.toString().toUtf8();
    ResetParts();
    m_stalled = false;
    LoadContent();
}

void TfrxHTMLView::LoadContent() {
    m_document.reset();
    m_layoutWidth = -1;
    if (m_content.isEmpty() || XSLStyle.isEmpty())
        return;
    m_model = xsl::ParseUntrustedXml(m_content);
    RewriteImageSources(xmlDocGetRootElement(m_model.get()), QStringLiteral("htmlres://"));
    QByteArray html = ApplyXSLStyle(XSLStyle);
    m_model.reset();
    m_content = std::move(html);
}

QByteArray TfrxHTMLView::ApplyXSLStyle(const QString &styleName) {
    if (!m_model)
        m_model = xsl::ParseUntrustedXml({});
    const QString path = xsl::FileInStylesFolder(HTMLViewStylesPath(), styleName);
    if (path.isEmpty())
        throw Error(QStringLiteral("Не найдена таблица стилей"));
    const QString cannotApply = QStringLiteral("Cannot Apply XSL stylesheet");
    try {
        const xsl::XmlDocPtr result =
            xsl::ApplyStyleSheet(path, HTMLViewStylesPath(), m_model.get(), cannotApply);
        return xsl::SerializeHtml(result.get());
    } catch (const Error &) {
        throw Error(cannotApply);
    }
}

HtmlDocument *TfrxHTMLView::document(int width) {
    if (!m_document) {
        m_document = std::make_unique<HtmlDocument>(m_content);
        m_layoutWidth = -1;
    }
    if (width != m_layoutWidth) {
        m_document->setTextWidth(width);
        m_layoutWidth = width;
    }
    return m_document.get();
}

double TfrxHTMLView::CalcHeight(double width) {
    const int w = roundUnits(width);
    if (w < 1)
        return 5;
    return std::ceil(contentHeight(document(w))) + 5;
}

void TfrxHTMLView::ResetParts() {
    m_partOffset = 0;
    m_partHeight = 0;
}

int TfrxHTMLView::sliceHeight(int width, int offset, int height) {
    if (width < 1 || height <= 0)
        return 0;
    HtmlDocument *doc = document(width);
    if (doc->isEmpty())
        return 0;
    QAbstractTextDocumentLayout *layout = doc->documentLayout();
    const double contentBottom = layout->documentSize().height();
    const double limit = double(offset) + height;
    double bottom = std::min(limit, contentBottom);
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QRectF blockRect = layout->blockBoundingRect(block);
        if (blockRect.bottom() <= limit || blockRect.top() >= bottom)
            continue;
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            const double top = blockRect.top() + line.y();
            // A line that began in an earlier part (cut through there) does not move the cut.
            if (top < offset)
                continue;
            if (top + line.height() > limit)
                bottom = std::min(bottom, top);
        }
    }
    // Rounded up: a slice asked for again at exactly this height must find the same cut.
    return std::max(0, int(std::ceil(bottom - 1e-6)) - offset);
}

double TfrxHTMLView::PaintNextPart(double width, double height) {
    if (m_partHeight > 0)
        m_partOffset += m_partHeight;
    const int w = roundUnits(width);
    const int h = roundUnits(height);
    m_partHeight = sliceHeight(w, m_partOffset, h);
    if (m_partHeight == 0 && HasMoreParts()) {
        // Nothing fitted twice in a row at the same place: the line or picture there is taller
        // than a whole part, so it is cut at the part's bottom instead of being carried forever.
        if (m_stalled)
            m_partHeight = std::max(0, h);
        m_stalled = !m_stalled;
    } else {
        m_stalled = false;
    }
    return double(h - m_partHeight);
}

bool TfrxHTMLView::HasMoreParts() {
    if (m_layoutWidth < 1 || !m_document)
        return false;
    if (m_document->isEmpty())
        return false;
    const double contentBottom = m_document->documentLayout()->documentSize().height();
    return double(m_partOffset) + m_partHeight < std::floor(contentBottom);
}

void TfrxHTMLView::Paint(QPainter &painter, const QRectF &rect) {
    painter.save();
    painter.fillRect(rect, Qt::white);
    try {
        const int w = roundUnits(rect.width());
        const int h = roundUnits(rect.height());
        // A part laid out by PaintNextPart is drawn as laid out (a line or picture taller than
        // a part was cut there); an object drawn whole finds its own cut.
        const int slice = m_partHeight > 0 ? std::min(m_partHeight, h) : sliceHeight(w, m_partOffset, h);
        if (slice > 0) {
            HtmlDocument *doc = document(w);
            painter.translate(rect.topLeft());
            painter.setClipRect(QRectF(0, 0, rect.width(), slice), Qt::IntersectClip);
            painter.translate(0, -m_partOffset);
            QAbstractTextDocumentLayout::PaintContext context;
            context.palette.setColor(QPalette::Text, Qt::black);
            // The painter's clip only hides: the renderer still writes every line it draws into
            // a PDF, so a line of another part must not be drawn at all. A cut lies less than one
            // unit below the last whole line of a part: a layout clip one unit inside the slice
            // leaves out the lines below it. Above it, Qt also draws the last line before the
            // clip of a block that runs into the slice: such a block is left to drawLinesFrom.
            const double top = m_partOffset + 1.0;
            const double end = m_partOffset + slice - 1.0;
            const QTextBlock straddling = slice > 2 ? blockRunningInto(doc, top) : QTextBlock();
            if (slice <= 2) {
                context.clip = QRectF(0, m_partOffset, w, slice);
            } else if (straddling.isValid()) {
                const double below = doc->documentLayout()->blockBoundingRect(straddling).bottom() + 0.01;
                context.clip = QRectF(0, below, w, std::max(0.0, end - below));
            } else {
                context.clip = QRectF(0, top, w, end - top);
            }
            if (!(straddling.isValid() && context.clip.height() <= 0))
                doc->documentLayout()->draw(&painter, context);
            if (straddling.isValid())
                drawLinesFrom(painter, doc, straddling, top, end);
        }
    } catch (...) {
        // A failure inside the renderer leaves the rectangle white.
    }
    painter.restore();
}

QByteArray TfrxHTMLView::WriteHtmlCont() const {
    QByteArray block(8, '\0');
    qToLittleEndian<qint32>(m_partOffset, block.data());
    qToLittleEndian<qint32>(m_partHeight, block.data() + 4);
    return block + m_content;
}

void TfrxHTMLView::ReadHtmlCont(const QByteArray &block) {
    m_document.reset();
    m_layoutWidth = -1;
    m_stalled = false;
    if (block.size() < 8) {
        m_partOffset = 0;
        m_partHeight = 0;
        m_content.clear();
        return;
    }
    m_partOffset = qFromLittleEndian<qint32>(block.constData());
    m_partHeight = qFromLittleEndian<qint32>(block.constData() + 4);
    m_content = block.mid(8);
}

} // namespace rezmira
