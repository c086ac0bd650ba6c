#include "rezmira/report/engine/Prepared.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

#include <cmath>

namespace rezmira::report {

namespace {
// A memo keeps its text 2 units from the left and right edges and 1 unit from the top, with
// 2 units between lines.
constexpr double kGapX = 2;
constexpr double kGapY = 1;
constexpr double kLineSpacing = 2;
constexpr double kEps = 0.01;
} // namespace

namespace {
// Font metrics by font spec: measuring is done for every memo of every row, and building a
// QFont and its metrics each time costs more than the measuring. Main thread only.
const QFontMetricsF &metricsOf(const FontSpec &spec) {
    static QHash<QString, QFontMetricsF> cache;
    const QString key = QStringLiteral("%1|%2|%3|%4").arg(spec.family).arg(spec.pixelSize).arg(spec.bold).arg(spec.italic);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QFontMetricsF(makeFont(spec)));
    return it.value();
}
} // namespace

double memoLineHeight(const FontSpec &font) { return metricsOf(font).height() + kLineSpacing; }

double memoVerticalGap() { return kGapY; }

QFont makeFont(const FontSpec &spec) {
    QFont f(spec.family);
    if (spec.pixelSize == std::round(spec.pixelSize))
        f.setPixelSize(int(spec.pixelSize));
    else
        f.setPointSizeF(spec.pixelSize * 72.0 / 96.0);
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

QList<TextRun> parseMemoRuns(const QString &text, bool htmlTags) {
    if (!htmlTags)
        return {TextRun{text, {}}};
    static const QRegularExpression tag(
        QStringLiteral(R"(<(/?)(font|b|i|u)(?:\s+color\s*=\s*["']?([#\w]+)["']?)?\s*>)"),
        QRegularExpression::CaseInsensitiveOption);
    QList<TextRun> runs;
    QList<QColor> colors;
    int bold = 0, italic = 0, underline = 0;
    auto current = [&]() {
        TextRun r;
        r.color = colors.isEmpty() ? QColor() : colors.last();
        r.bold = bold > 0;
        r.italic = italic > 0;
        r.underline = underline > 0;
        return r;
    };
    qsizetype pos = 0;
    auto it = tag.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.capturedStart() > pos) {
            TextRun r = current();
            r.text = text.mid(pos, m.capturedStart() - pos);
            runs.append(r);
        }
        pos = m.capturedEnd();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        if (name == QLatin1StringView("font")) {
            if (closing) {
                if (!colors.isEmpty())
                    colors.removeLast();
            } else {
                const QColor c = QColor::fromString(m.captured(3));
                colors.append(c.isValid() ? c : (colors.isEmpty() ? QColor() : colors.last()));
            }
        } else {
            int &depth = name == QLatin1StringView("b") ? bold : (name == QLatin1StringView("i") ? italic : underline);
            depth = closing ? std::max(0, depth - 1) : depth + 1;
        }
    }
    if (pos < text.size() || runs.isEmpty()) {
        TextRun r = current();
        r.text = text.mid(pos);
        runs.append(r);
    }
    return runs;
}

namespace {

struct MemoLayout {
    std::unique_ptr<QTextLayout> layout;
    double lineHeight = 0;
    double ascent = 0;
};

// Lays the memo text out in lines `width` units wide (without the gaps).
MemoLayout layoutMemo(const QList<TextRun> &runs, const FontSpec &spec, bool wordWrap, double width) {
    const QFont font = makeFont(spec);
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const TextRun &run : runs) {
        QString piece = run.text;
        piece.remove(QLatin1Char('\r'));
        piece.replace(QLatin1Char('\n'), QChar::LineSeparator);
        QTextLayout::FormatRange range;
        range.start = int(text.size());
        range.length = int(piece.size());
        if (run.color.isValid())
            range.format.setForeground(run.color);
        if (run.bold && !spec.bold)
            range.format.setFontWeight(QFont::Bold);
        if (run.italic)
            range.format.setFontItalic(true);
        if (run.underline)
            range.format.setFontUnderline(true);
        formats.append(range);
        text += piece;
    }
    MemoLayout m;
    m.layout = std::make_unique<QTextLayout>(text, font);
    m.layout->setFormats(formats);
    QTextOption option;
    option.setWrapMode(wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m.layout->setTextOption(option);
    const QFontMetricsF metrics(font);
    m.lineHeight = metrics.height() + kLineSpacing;
    m.ascent = metrics.ascent();
    m.layout->beginLayout();
    double y = 0;
    for (;;) {
        QTextLine line = m.layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(1.0, width));
        line.setPosition(QPointF(0, y));
        y += m.lineHeight;
    }
    m.layout->endLayout();
    return m;
}

QString formatRect(const QRectF &r) {
    return QStringLiteral("[%1 %2 %3 %4]")
        .arg(r.x(), 0, 'f', 2)
        .arg(r.y(), 0, 'f', 2)
        .arg(r.width(), 0, 'f', 2)
        .arg(r.height(), 0, 'f', 2);
}

void drawMemo(QPainter &p, const PreparedObject &o) {
    if (o.fill.isValid())
        p.fillRect(o.rect, o.fill);
    const double innerWidth = o.rect.width() - 2 * kGapX;
    const MemoLayout m = layoutMemo(o.runs, o.font, o.wordWrap, innerWidth);
    p.save();
    p.setClipRect(o.rect, Qt::IntersectClip);
    p.setPen(o.font.color);
    const QPointF origin = o.rect.topLeft() + QPointF(kGapX, kGapY - o.textOffset);
    // Only whole lines are drawn (the first one always): a line cut at the box would still be
    // in a PDF's text, hidden but found by search and copy.
    const double visibleBottom = o.textOffset + o.rect.height() - kGapY;
    bool first = true;
    for (int i = 0; i < m.layout->lineCount(); ++i) {
        QTextLine line = m.layout->lineAt(i);
        const double top = line.position().y();
        if (top + kEps < o.textOffset)
            continue;
        if (!first && top + m.lineHeight - kLineSpacing > visibleBottom + kEps)
            break;
        first = false;
        double x = 0;
        const double natural = line.naturalTextWidth();
        if (o.hAlign == HAlign::Center)
            x = (innerWidth - natural) / 2;
        else if (o.hAlign == HAlign::Right)
            x = innerWidth - natural;
        line.draw(&p, origin + QPointF(x, 0));
    }
    p.restore();
}

} // namespace

namespace {
double measureMemoText(const QList<TextRun> &runs, const FontSpec &font, bool wordWrap, double width);
} // namespace

double memoTextHeight(const QList<TextRun> &runs, const FontSpec &font, bool wordWrap, double width) {
    // The protocol measures the same labels and answers for thousands of rows: heights are kept
    // by text, look and width (they depend on nothing else). Main thread only.
    static QHash<QString, double> known;
    QString key = QStringLiteral("%1|%2|%3|%4|%5|%6").arg(font.family).arg(font.pixelSize).arg(font.bold)
                      .arg(font.italic).arg(wordWrap).arg(width, 0, 'g', 17);
    for (const TextRun &run : runs) {
        key += QLatin1Char(run.bold ? 'b' : '-');
        key += QLatin1Char(run.italic ? 'i' : '-');
        key += QLatin1Char(run.underline ? 'u' : '-');
        key += run.text;
        key += QChar(0x1F);
    }
    if (auto it = known.constFind(key); it != known.constEnd())
        return it.value();
    const double height = measureMemoText(runs, font, wordWrap, width);
    if (known.size() > 4096)
        known.clear();
    known.insert(key, height);
    return height;
}

namespace {
double measureMemoText(const QList<TextRun> &runs, const FontSpec &font, bool wordWrap, double width) {
    // Most memos hold one short line: measuring its advance is much cheaper than a layout.
    double advance = 0;
    bool singleLine = true;
    for (const TextRun &run : runs) {
        if (run.text.contains(QLatin1Char('\n')) || run.text.contains(QLatin1Char('\r'))) {
            singleLine = false;
            break;
        }
        FontSpec runFont = font;
        runFont.bold = font.bold || run.bold;
        runFont.italic = font.italic || run.italic;
        advance += metricsOf(runFont).horizontalAdvance(run.text);
    }
    if (singleLine && (advance <= width - 2 * kGapX || !wordWrap))
        return memoLineHeight(font) + 2 * kGapY;
    const MemoLayout m = layoutMemo(runs, font, wordWrap, width - 2 * kGapX);
    return std::max(1, m.layout->lineCount()) * m.lineHeight + 2 * kGapY;
}
} // namespace

QString PreparedObject::text() const {
    QString t;
    for (const TextRun &r : runs)
        t += r.text;
    return t;
}

QSizeF PreparedReport::pageSize() const {
    return {paperWidthMm * kUnitsPerMm, paperHeightMm * kUnitsPerMm};
}

void PreparedReport::drawPage(int index, QPainter &painter, const StretchObjectFactory &factory) const {
    const PreparedPage &page = pages.at(index);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const PreparedObject &o : page.objects) {
        switch (o.kind) {
        case ReportObject::Kind::Memo:
            drawMemo(painter, o);
            break;
        case ReportObject::Kind::Picture:
            if (!o.picture.isNull())
                painter.drawImage(o.rect, o.picture);
            break;
        case ReportObject::Kind::Stretch: {
            std::unique_ptr<StretchObject> object = factory && o.spec ? factory(*o.spec) : nullptr;
            if (!object) {
                painter.fillRect(o.rect, Qt::white);
                break;
            }
            object->ReadState(o.state);
            painter.save();
            object->Paint(painter, o.rect);
            painter.restore();
            break;
        }
        }
    }
    painter.restore();
}

QString PreparedReport::dump() const {
    QString out;
    for (int i = 0; i < pages.size(); ++i) {
        out += QStringLiteral("page %1\n").arg(i + 1);
        for (const PreparedObject &o : pages[i].objects) {
            out += QStringLiteral("  %1/%2 ").arg(o.band, o.name);
            switch (o.kind) {
            case ReportObject::Kind::Memo: {
                QString text = o.text();
                text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
                text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
                out += QStringLiteral("memo %1 \"%2\"").arg(formatRect(o.rect), text);
                break;
            }
            case ReportObject::Kind::Picture:
                out += QStringLiteral("picture %1 %2").arg(formatRect(o.rect), o.pictureName);
                break;
            case ReportObject::Kind::Stretch:
                out += QStringLiteral("%1 %2 state %3 bytes")
                           .arg(o.spec ? o.spec->kind : QString(), formatRect(o.rect))
                           .arg(o.state.size());
                break;
            }
            out += QLatin1Char('\n');
        }
    }
    return out;
}

} // namespace rezmira::report
