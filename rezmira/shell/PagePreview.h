// The report preview: prepared pages stacked vertically, drawn lazily in tiles as they come into
// view, cached by page and zoom, with a placeholder until a tile is drawn.
#pragma once

#include "rezmira/shell/PreparedDocument.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QList>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <memory>

namespace rezmira {

/// A lazy page view over a PreparedDocument.
///
/// State: the zoom factor (1 = 100 %; never below 0.25; no upper limit), the zoom mode, the
/// current page (1-based) and the page count. Without a document: factor 1, page 1, count 0.
/// Only tiles of pages that intersect the viewport are drawn, one batch per event-loop turn;
/// tiles are cached by (page, zoom, tile) in a cache bounded to `cacheLimitKiB`, and requests
/// for a zoom or document that is no longer current are dropped.
class PagePreview : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { Fixed, PageWidth, WholePage };

    static constexpr double kMinZoom = 0.25;
    static constexpr int kTileSize = 512;   ///< device pixels per tile side
    static constexpr int kPageGap = 10;     ///< pixels between pages and around them
    static constexpr int kWheelStep = 20;   ///< pixels scrolled per wheel event

    explicit PagePreview(QWidget *parent = nullptr);

    /// Shows `document` (may be null: nothing shown) from its first page; the zoom factor and
    /// mode are kept.
    void setDocument(std::shared_ptr<const PreparedDocument> document);
    const std::shared_ptr<const PreparedDocument> &document() const { return m_document; }

    double zoom() const { return m_zoom; }
    ZoomMode zoomMode() const { return m_mode; }
    /// Fixed-factor mode at `factor` (below 0.25 taken as 0.25).
    void setZoom(double factor);
    /// Page-width or whole-page mode: the factor follows the view's size. Fixed is setZoom's.
    void setZoomMode(ZoomMode mode);

    int currentPage() const { return m_currentPage; }
    int pageCount() const;
    /// Goes to `page`, clamped to 1 … page count, and scrolls its top into view.
    void setPage(int page);

    /// Scrolls the view by one wheel step: up for a positive delta, down for a negative one.
    void wheelStep(int delta);

    /// Bound of the tile cache in KiB.
    void setCacheLimitKiB(int kib) { m_tiles.setMaxCost(kib); }
    /// Draws every tile still waiting, at once (for printing to an image and for tests).
    void flushRendering();
    /// Tiles waiting to be drawn.
    int pendingTiles() const { return int(m_pending.size()); }

signals:
    /// The zoom factor, mode, current page or page count changed.
    void stateChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    struct TileKey {
        quint64 generation;
        int page;
        double zoom;
        qreal dpr;
        int column;
        int row;
        friend bool operator==(const TileKey &, const TileKey &) = default;
        friend size_t qHash(const TileKey &k, size_t seed = 0) {
            return qHashMulti(seed, k.generation, k.page, k.zoom, k.dpr, k.column, k.row);
        }
    };

    struct Anchor {
        int page = -1;          ///< 0-based page at the top of the view; -1: none
        double fraction = 0;    ///< how far down that page the view's top is
    };
    Anchor captureAnchor() const;
    void relayout(const Anchor &anchor);
    double fittedZoom() const;
    QRect pageRect(int index) const;            ///< in content pixels
    int pageAt(int contentY) const;             ///< 0-based page under a content y
    /// Calls `visit(key, pageOnScreen, tileOnScreen)` for each tile of the visible pages.
    void forEachVisibleTile(const std::function<void(const TileKey &, const QRect &, const QPointF &)> &visit) const;
    void drawPendingBatch();
    QPixmap renderTile(const TileKey &key) const;
    void setCurrentPageQuietly(int page);

    std::shared_ptr<const PreparedDocument> m_document;
    quint64 m_generation = 0;
    double m_zoom = 1.0;
    ZoomMode m_mode = ZoomMode::Fixed;
    int m_currentPage = 1;
    QList<double> m_tops;   ///< top of each page in 1/96 inch, pages laid end to end
    QList<QSizeF> m_sizes;  ///< size of each page in 1/96 inch
    double m_maxWidth = 0;
    QSize m_contentSize;
    bool m_scrollingToPage = false;
    QCache<TileKey, QPixmap> m_tiles;
    QList<TileKey> m_pending;
    QTimer m_drawTimer;
};

} // namespace rezmira
