// The report preview: lazy, tiled drawing of prepared pages.
#include "rezmira/shell/PagePreview.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace rezmira {

PagePreview::PagePreview(QWidget *parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    m_tiles.setMaxCost(128 * 1024);
    m_drawTimer.setSingleShot(true);
    m_drawTimer.setInterval(0);
    connect(&m_drawTimer, &QTimer::timeout, this, &PagePreview::drawPendingBatch);
}

void PagePreview::setDocument(std::shared_ptr<const PreparedDocument> document) {
    m_document = std::move(document);
    ++m_generation;
    m_tiles.clear();
    m_pending.clear();
    m_tops.clear();
    m_sizes.clear();
    m_maxWidth = 0;
    double top = 0;
    for (int i = 0; i < pageCount(); ++i) {
        const QSizeF size = m_document->pageSize(i);
        m_tops.append(top);
        m_sizes.append(size);
        top += size.height();
        m_maxWidth = std::max(m_maxWidth, size.width());
    }
    m_currentPage = 1;
    relayout(Anchor{});
    setPage(1);
    viewport()->update();
    emit stateChanged();
}

int PagePreview::pageCount() const { return m_document ? m_document->pageCount() : 0; }

void PagePreview::setZoom(double factor) {
    if (!(factor >= kMinZoom)) // also catches NaN
        factor = kMinZoom;
    const Anchor anchor = captureAnchor();
    m_mode = ZoomMode::Fixed;
    m_zoom = factor;
    relayout(anchor);
    emit stateChanged();
}

void PagePreview::setZoomMode(ZoomMode mode) {
    const Anchor anchor = captureAnchor();
    m_mode = mode;
    relayout(anchor);
    emit stateChanged();
}

double PagePreview::fittedZoom() const {
    if (m_sizes.isEmpty())
        return m_zoom;
    const QSizeF page = m_sizes[std::clamp(m_currentPage - 1, 0, int(m_sizes.size()) - 1)];
    if (page.width() <= 0 || page.height() <= 0)
        return m_zoom;
    const double byWidth = (viewport()->width() - 2.0 * kPageGap) / page.width();
    const double byHeight = (viewport()->height() - 2.0 * kPageGap) / page.height();
    const double z = m_mode == ZoomMode::PageWidth ? byWidth : std::min(byWidth, byHeight);
    return std::max(kMinZoom, z);
}

QRect PagePreview::pageRect(int index) const {
    const int w = int(std::lround(m_sizes[index].width() * m_zoom));
    const int h = int(std::lround(m_sizes[index].height() * m_zoom));
    const int y = kPageGap + int(std::lround(m_tops[index] * m_zoom)) + index * kPageGap;
    const int x = std::max(kPageGap, (m_contentSize.width() - w) / 2);
    return QRect(x, y, w, h);
}

int PagePreview::pageAt(int contentY) const {
    // The last page whose top is at or above contentY.
    int lo = 0, hi = int(m_tops.size()) - 1, found = 0;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (pageRect(mid).top() <= contentY) {
            found = mid;
            lo = mid + 1;
        } else {
            hi = mid - 1;
        }
    }
    return found;
}

PagePreview::Anchor PagePreview::captureAnchor() const {
    // Taken at the present zoom, before it changes.
    Anchor anchor;
    if (m_sizes.isEmpty())
        return anchor;
    anchor.page = std::clamp(m_currentPage - 1, 0, int(m_sizes.size()) - 1);
    const QRect r = pageRect(anchor.page);
    if (r.height() > 0)
        anchor.fraction = double(verticalScrollBar()->value() - r.top() + kPageGap) / r.height();
    return anchor;
}

void PagePreview::relayout(const Anchor &anchor) {
    // Keeps the same spot of the anchor page at the top of the view across a zoom change.
    const int anchorPage = anchor.page;
    const double anchorFraction = anchor.fraction;
    if (m_mode != ZoomMode::Fixed)
        m_zoom = fittedZoom();

    double total = 0;
    for (const QSizeF &s : m_sizes)
        total += s.height();
    const int n = int(m_sizes.size());
    const int contentW = int(std::lround(m_maxWidth * m_zoom)) + 2 * kPageGap;
    const int contentH = n == 0 ? 0 : int(std::lround(total * m_zoom)) + (n + 1) * kPageGap;
    m_contentSize = QSize(std::max(contentW, viewport()->width()), contentH);

    const QSize vp = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_contentSize.width() - vp.width()));
    horizontalScrollBar()->setPageStep(vp.width());
    horizontalScrollBar()->setSingleStep(kWheelStep);
    m_scrollingToPage = true;
    verticalScrollBar()->setRange(0, std::max(0, m_contentSize.height() - vp.height()));
    verticalScrollBar()->setPageStep(vp.height());
    verticalScrollBar()->setSingleStep(kWheelStep);
    if (anchorPage >= 0) {
        const QRect r = pageRect(anchorPage);
        verticalScrollBar()->setValue(r.top() - kPageGap + int(std::lround(anchorFraction * r.height())));
    }
    m_scrollingToPage = false;
    viewport()->update();
}

void PagePreview::setPage(int page) {
    const int clamped = std::clamp(page, 1, std::max(1, pageCount()));
    m_currentPage = clamped;
    if (m_mode != ZoomMode::Fixed) {
        m_zoom = fittedZoom(); // pages of other sizes fit differently
        relayout(Anchor{});
    }
    if (!m_sizes.isEmpty()) {
        m_scrollingToPage = true;
        verticalScrollBar()->setValue(pageRect(clamped - 1).top() - kPageGap);
        m_scrollingToPage = false;
    }
    emit stateChanged();
}

void PagePreview::setCurrentPageQuietly(int page) {
    if (page != m_currentPage) {
        m_currentPage = page;
        emit stateChanged();
    }
}

void PagePreview::scrollContentsBy(int, int) {
    viewport()->update();
    if (m_scrollingToPage || m_sizes.isEmpty())
        return;
    QScrollBar *bar = verticalScrollBar();
    if (bar->value() == bar->maximum() && bar->maximum() > 0)
        setCurrentPageQuietly(pageCount());
    else
        setCurrentPageQuietly(pageAt(bar->value() + kPageGap) + 1);
}

void PagePreview::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    const double before = m_zoom;
    relayout(captureAnchor());
    if (m_zoom != before)
        emit stateChanged();
}

void PagePreview::wheelStep(int delta) {
    if (delta == 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(bar->value() + (delta > 0 ? -kWheelStep : kWheelStep));
}

void PagePreview::wheelEvent(QWheelEvent *event) {
    // A fixed step per event, whatever the size of the delta; never horizontal, never zoom.
    wheelStep(event->angleDelta().y());
    event->accept();
}

void PagePreview::mousePressEvent(QMouseEvent *event) {
    setFocus(Qt::MouseFocusReason);
    QAbstractScrollArea::mousePressEvent(event);
}

void PagePreview::forEachVisibleTile(
    const std::function<void(const TileKey &, const QRect &, const QPointF &)> &visit) const {
    if (m_sizes.isEmpty())
        return;
    const QPoint offset(horizontalScrollBar()->value(), verticalScrollBar()->value());
    const QRect visible(offset, viewport()->size());
    const qreal dpr = devicePixelRatioF();
    for (int i = pageAt(visible.top()); i < int(m_sizes.size()); ++i) {
        const QRect page = pageRect(i);
        if (page.top() > visible.bottom())
            break;
        if (!page.intersects(visible))
            continue;
        const QRect onScreen = page.translated(-offset);
        // Tiles in device pixels of the page.
        const QRect part = page.intersected(visible).translated(-page.topLeft());
        const int c0 = int(part.left() * dpr) / kTileSize;
        const int c1 = int(part.right() * dpr) / kTileSize;
        const int r0 = int(part.top() * dpr) / kTileSize;
        const int r1 = int(part.bottom() * dpr) / kTileSize;
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                visit(TileKey{m_generation, i, m_zoom, dpr, c, r}, onScreen,
                      QPointF(onScreen.topLeft()) + QPointF(c * kTileSize, r * kTileSize) / dpr);
    }
}

void PagePreview::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Dark));
    m_pending.clear(); // whatever is no longer visible or current is dropped here
    QRect lastPage;
    auto frame = [&painter](const QRect &page) {
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawRect(page.adjusted(0, 0, -1, -1));
    };
    forEachVisibleTile([&](const TileKey &key, const QRect &page, const QPointF &at) {
        if (page != lastPage) {
            if (!lastPage.isNull())
                frame(lastPage);
            painter.fillRect(page.translated(2, 2), QColor(0, 0, 0, 60));
            painter.fillRect(page, QColor(0xee, 0xee, 0xee)); // placeholder until drawn
            lastPage = page;
        }
        if (const QPixmap *tile = m_tiles.object(key))
            painter.drawPixmap(at, *tile);
        else
            m_pending.append(key);
    });
    if (!lastPage.isNull())
        frame(lastPage);
    if (!m_pending.isEmpty() && !m_drawTimer.isActive())
        m_drawTimer.start();
}

QPixmap PagePreview::renderTile(const TileKey &key) const {
    const QSizeF pageUnits = m_sizes[key.page];
    const int pageW = int(std::ceil(pageUnits.width() * key.zoom * key.dpr));
    const int pageH = int(std::ceil(pageUnits.height() * key.zoom * key.dpr));
    const int w = std::min(kTileSize, pageW - key.column * kTileSize);
    const int h = std::min(kTileSize, pageH - key.row * kTileSize);
    QPixmap pixmap(std::max(1, w), std::max(1, h));
    pixmap.fill(Qt::white);
    {
        QPainter p(&pixmap);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                         QPainter::SmoothPixmapTransform);
        p.translate(-key.column * kTileSize, -key.row * kTileSize);
        p.scale(key.zoom * key.dpr, key.zoom * key.dpr);
        m_document->drawPage(key.page, p);
    }
    pixmap.setDevicePixelRatio(key.dpr);
    return pixmap;
}

void PagePreview::drawPendingBatch() {
    QElapsedTimer clock;
    clock.start();
    bool drewAny = false;
    bool keptAny = false;
    // Batches are short so that scrolling and typing stay responsive while pages are drawn.
    while (!m_pending.isEmpty() && (!drewAny || clock.elapsed() < 30)) {
        const TileKey key = m_pending.takeFirst();
        if (key.generation != m_generation || key.zoom != m_zoom || !m_document ||
            key.page >= pageCount() || m_tiles.contains(key))
            continue;
        QPixmap tile = renderTile(key);
        const qsizetype bytes = qsizetype(tile.width()) * tile.height() * 4;
        keptAny |= m_tiles.insert(key, new QPixmap(std::move(tile)),
                                  int(std::max<qsizetype>(1, bytes / 1024)));
        drewAny = true;
    }
    // Repaints what was drawn and queues what is still missing. A tile the cache could not keep
    // does not trigger a repaint of its own, or a too small cache would redraw for ever.
    if (keptAny)
        viewport()->update();
    else if (!m_pending.isEmpty())
        m_drawTimer.start();
}

void PagePreview::flushRendering() {
    m_pending.clear();
    forEachVisibleTile([this](const TileKey &key, const QRect &, const QPointF &) {
        if (!m_tiles.contains(key))
            m_pending.append(key);
    });
    while (!m_pending.isEmpty())
        drawPendingBatch();
    m_drawTimer.stop();
}

} // namespace rezmira
