// The lazy preview: only visible pages are drawn, tiles are cached, stale work is dropped, and
// the zoom, mode, page and wheel rules hold.
#include "rezmira/shell/PagePreview.h"

#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using namespace rezmira;
using shelltest::FakeDocument;

namespace {

struct Shown {
    PagePreview preview;
    std::shared_ptr<FakeDocument> doc;
    explicit Shown(int pages, QSize size = QSize(600, 800)) : doc(std::make_shared<FakeDocument>(pages)) {
        preview.resize(size);
        preview.show();
        preview.setDocument(doc);
        preview.flushRendering();
    }
};

void sendWheel(QWidget *target, int deltaY) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, deltaY), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST(PagePreview, EmptyPreviewHasFactorOnePageOneCountZero) {
    PagePreview preview;
    EXPECT_EQ(preview.zoom(), 1.0);
    EXPECT_EQ(preview.currentPage(), 1);
    EXPECT_EQ(preview.pageCount(), 0);
    preview.setPage(5);
    EXPECT_EQ(preview.currentPage(), 1);
}

TEST(PagePreview, SevenHundredPagesDrawOnlyWhatIsVisible) {
    Shown s(700);
    EXPECT_EQ(s.preview.pageCount(), 700);
    EXPECT_EQ(s.doc->drawnPages(), (QSet<int>{0})); // 1123 px page, 800 px view
    s.doc->drawn.clear();
    s.preview.setPage(350);
    s.preview.flushRendering();
    EXPECT_EQ(s.doc->drawnPages(), (QSet<int>{349}));
    s.doc->drawn.clear();
    s.preview.setZoom(0.25); // several pages fit now, still far from all
    s.preview.flushRendering();
    EXPECT_GE(s.doc->drawnPages().size(), 3);
    EXPECT_LE(s.doc->drawnPages().size(), 5);
    EXPECT_TRUE(s.doc->drawnPages().contains(349)) << s.preview.currentPage() << " " << s.preview.verticalScrollBar()->value();
}

TEST(PagePreview, CachedTilesAreNotDrawnAgainUnlessTheBoundEvictsThem) {
    Shown s(10);
    s.doc->drawn.clear();
    s.preview.viewport()->grab();
    s.preview.flushRendering();
    EXPECT_TRUE(s.doc->drawn.isEmpty());
    s.preview.setCacheLimitKiB(1); // smaller than one tile: nothing can be kept
    s.preview.setZoom(1.5);
    s.preview.flushRendering();
    const qsizetype drawsAtOneAndHalf = s.doc->drawn.size();
    EXPECT_GT(drawsAtOneAndHalf, 0);
    s.preview.viewport()->grab();
    s.preview.flushRendering();
    EXPECT_GT(s.doc->drawn.size(), drawsAtOneAndHalf);
    // Tiles the cache cannot keep do not make the view redraw on its own.
    s.preview.viewport()->grab();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    const qsizetype settled = s.doc->drawn.size();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    EXPECT_EQ(s.doc->drawn.size(), settled);
}

TEST(PagePreview, WorkQueuedForAnOldZoomIsDropped) {
    Shown s(10);
    s.doc->drawn.clear();
    s.preview.setZoom(3);
    s.preview.viewport()->grab(); // queues tiles at 300 %
    ASSERT_GT(s.preview.pendingTiles(), 0);
    s.preview.setZoom(0.5);          // before any of them is drawn
    s.preview.flushRendering();
    for (int page : s.doc->drawn)
        EXPECT_LT(page, 3) << "only pages visible at 50 % are drawn";
    EXPECT_EQ(s.preview.pendingTiles(), 0);
}

TEST(PagePreview, DeepZoomDrawsOnlyTheVisibleTilesOfAPage) {
    Shown s(3);
    s.doc->drawn.clear();
    s.preview.setZoom(40); // a page would be 31,760 × 44,920 pixels
    s.preview.flushRendering();
    EXPECT_GE(s.doc->drawn.size(), 1);
    EXPECT_LE(s.doc->drawn.size(), 6); // 600 × 800 view over 512-pixel tiles
}

TEST(PagePreview, PlaceholderShowsUntilATileIsDrawn) {
    PagePreview preview;
    preview.resize(600, 800);
    preview.show();
    preview.setDocument(std::make_shared<FakeDocument>(2));
    const QPoint inPage(300, 400);
    EXPECT_EQ(preview.viewport()->grab().toImage().pixelColor(inPage), QColor(0xee, 0xee, 0xee));
    preview.flushRendering();
    EXPECT_EQ(preview.viewport()->grab().toImage().pixelColor(inPage), QColor(Qt::white));
}

TEST(PagePreview, ZoomAndPageRules) {
    Shown s(12);
    s.preview.setZoom(0.1);
    EXPECT_EQ(s.preview.zoom(), 0.25);
    s.preview.setZoom(7.5);
    EXPECT_EQ(s.preview.zoom(), 7.5);
    s.preview.setZoomMode(PagePreview::ZoomMode::PageWidth);
    const int vw = s.preview.viewport()->width();
    EXPECT_DOUBLE_EQ(s.preview.zoom(), (vw - 20.0) / 794.0);
    s.preview.setZoomMode(PagePreview::ZoomMode::WholePage);
    const int vh = s.preview.viewport()->height();
    EXPECT_DOUBLE_EQ(s.preview.zoom(), std::min((vw - 20.0) / 794.0, (vh - 20.0) / 1123.0));
    s.preview.resize(900, 500); // the mode follows the view's size
    EXPECT_DOUBLE_EQ(s.preview.zoom(), std::min((s.preview.viewport()->width() - 20.0) / 794.0,
                                                (s.preview.viewport()->height() - 20.0) / 1123.0));
    for (auto [asked, shown] : {std::pair{0, 1}, {-3, 1}, {999, 12}, {7, 7}}) {
        s.preview.setPage(asked);
        EXPECT_EQ(s.preview.currentPage(), shown) << asked;
    }
}

TEST(PagePreview, WheelScrollsTwentyPixelsPerEventWhateverTheDelta) {
    Shown s(12);
    QScrollBar *bar = s.preview.verticalScrollBar();
    bar->setValue(500);
    sendWheel(s.preview.viewport(), -120);
    EXPECT_EQ(bar->value(), 520);
    sendWheel(s.preview.viewport(), -1200);
    EXPECT_EQ(bar->value(), 540);
    sendWheel(s.preview.viewport(), 15);
    EXPECT_EQ(bar->value(), 520);
    EXPECT_EQ(s.preview.zoom(), 1.0);
    EXPECT_EQ(s.preview.horizontalScrollBar()->value(), 0);
}

TEST(PagePreview, ScrollingMovesTheCurrentPage) {
    Shown s(12);
    s.preview.verticalScrollBar()->setValue(3 * (1123 + 10) + 5);
    EXPECT_EQ(s.preview.currentPage(), 4);
    s.preview.verticalScrollBar()->setValue(s.preview.verticalScrollBar()->maximum());
    EXPECT_EQ(s.preview.currentPage(), 12);
}
