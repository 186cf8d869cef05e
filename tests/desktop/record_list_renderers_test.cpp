// The list and page renderers the main window's views call: they draw the core's layout into
// the given rectangle, over the list background, at the scroll offsets.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>

#include "analysis/bet.h"
#include "analysis/desktop/bet_renderers.h"
#include "analysis/desktop/comparison_list_renderer.h"
#include "analysis/desktop/pore_grid_renderer.h"
#include "files/record_database.h"
#include "platform/gbk_text.h"

namespace vespian {
namespace {

bool isBlack(QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; }
bool isMagenta(QRgb p) { return qRed(p) > 200 && qGreen(p) < 90 && qBlue(p) > 150; }

int countIn(const QImage& image, const QRect& r, bool (*test)(QRgb)) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) n += test(image.pixel(x, y));
    }
    return n;
}

class RecordListRenderersTest : public ::testing::Test {
protected:
    QImage canvas(int w, int h) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::gray);
        return image;
    }
    std::unique_ptr<RecordDatabase> db = std::make_unique<RecordDatabase>();
};

TEST_F(RecordListRenderersTest, BetListDrawsSeparatorsAndSelectedRowsInItsArea) {
    ReportTable& t = db->reports();
    t.count = 2;
    for (int i = 0; i < 2; ++i) {
        t.records[i].in_use = 1;
        t.records[i].number = i + 1;
        writeGbkField(t.records[i].name, "样品");
        t.records[i].bet_area = 12.5f;
    }
    t.records[1].selected = -1;
    QImage image = canvas(800, 300);
    QImage background(800, 300, QImage::Format_RGB32);
    background.fill(QColor(250, 250, 240));
    {
        QPainter painter(&image);
        BetListRenderer::draw(painter, QRect(40, 50, 720, 200), t, 0, 0, background);
    }
    EXPECT_EQ(image.pixel(10, 10), QColor(Qt::gray).rgb());        // outside: untouched
    EXPECT_EQ(image.pixel(45, 150), QColor(250, 250, 240).rgb());  // inside: the background
    EXPECT_TRUE(isBlack(image.pixel(40 + 60, 200)));                // separator at x = 60
    EXPECT_TRUE(isBlack(image.pixel(40 + 590, 120)));
    EXPECT_TRUE(isBlack(image.pixel(400, 50 + 25)));                // the rule under the header
    EXPECT_EQ(countIn(image, QRect(40, 75, 720, 20), isMagenta), 0);  // row 1: black
    EXPECT_GT(countIn(image, QRect(40, 95, 720, 20), isMagenta), 20);  // row 2: selected
    EXPECT_TRUE(image.save(VESPIAN_BUILD_DIR "/bet_list.png"));
}

TEST_F(RecordListRenderersTest, BetPageOnScreenFollowsTheScrollOffsets) {
    SurfaceReportRecord r{};
    r.point_count = 0;
    r.number = 3;
    const QImage page = BetPageRenderer::pageImage(r);
    EXPECT_EQ(page.size(), QSize(700, 1000));
    EXPECT_TRUE(isBlack(page.pixel(130, 300)));  // the chart frame's left edge
    QImage image = canvas(707, 400);
    {
        QPainter painter(&image);
        BetPageRenderer::drawOnScreen(painter, QRect(0, 0, 707, 400), r, QPoint(0, 100));
    }
    EXPECT_TRUE(isBlack(image.pixel(130, 200)));  // frame edge, 100 rows up
    EXPECT_TRUE(isBlack(image.pixel(300, 60)));   // the frame's top at 160 − 100
}

TEST_F(RecordListRenderersTest, StandardListWithAHiddenColumn) {
    StandardTable& t = db->standards();
    t.count = 1;
    t.records[0].in_use = 1;
    t.records[0].number = 5;
    const int32_t widths[7] = {470, 70, 70, 100, 100, 0, 130};
    QImage image = canvas(600, 100);
    {
        QPainter painter(&image);
        ComparisonListRenderer::drawStandards(painter, QRect(0, 0, 600, 100), t, widths, 600, 0, 0, QImage());
    }
    for (int x : {70, 140, 240, 340}) EXPECT_TRUE(isBlack(image.pixel(x, 80))) << x;
    EXPECT_FALSE(isBlack(image.pixel(440, 80)));  // the hidden column's separator is not drawn
    EXPECT_FALSE(isBlack(image.pixel(470, 80)));  // nor one at the total width
    EXPECT_TRUE(image.save(VESPIAN_BUILD_DIR "/standard_list.png"));
}

TEST_F(RecordListRenderersTest, PoreThumbnailsShowTheCurrentPoint) {
    auto* pore = static_cast<PoreTable*>(std::calloc(1, sizeof(PoreTable)));
    pore->count = 3;
    pore->current = 1;
    QImage image = canvas(340, 150);
    {
        QPainter painter(&image);
        PoreGridRenderer::draw(painter, QRect(0, 0, 340, 150), *pore, 0, QImage());
    }
    EXPECT_EQ(image.pixel(110 + 5, 95), QColor(50, 0, 150).rgb());  // current strip
    EXPECT_EQ(image.pixel(5, 95), QColor(0, 0, 50).rgb());
    EXPECT_EQ(image.pixel(110 + 101, 50), QColor(80, 80, 80).rgb());  // dark right edge
    EXPECT_EQ(image.pixel(110, 50), QColor(190, 190, 190).rgb());     // light left edge
    std::free(pore);
}

}  // namespace
}  // namespace vespian
