// The pore points in the running program: a measured BET point is kept as a pore point, the
// report view shows the points' thumbnails below the report panel, a click on one makes it
// current and opens "孔径数据属性", the wheel scrolls the rows.

#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>
#include <cstring>
#include <memory>

#include "analysis/bet.h"
#include "analysis/pore.h"
#include "app/command_ids.h"
#include "app/desktop/database_wiring.h"
#include "app/desktop/pore_view_wiring.h"
#include "app/desktop/report_wiring.h"
#include "app/desktop/surface_wiring.h"
#include "app/desktop/view_area.h"
#include "files/desktop/report_panel_view.h"
#include "modal_watch.h"
#include "program_fixture.h"

namespace vespian {
namespace {

using testing::ModalCloser;
using testing::onModal;

constexpr QRgb kCurrentStrip = qRgb(50, 0, 150) & 0xffffff;
constexpr QRgb kOtherStrip = qRgb(0, 0, 50) & 0xffffff;

class PoreViewTest : public testing::ProgramFixture {
protected:
    void begin() {
        start(0.0001);
        prompts.clear();
        state().measurement.selectView(ViewMode::Report);
        view().showToolbarOfView();
        view().redraw();
        QApplication::processEvents();
    }
    ViewArea& view() { return *window()->viewArea(); }
    PoreTable& pores() { return program->database()->pores(); }
    PoreViewWiring& poreView() { return *program->poreView(); }
    QRect grid() { return poreView().gridRect(view().viewInside()); }
    int columns() { return grid().width() / kPoreThumbnailPitch; }
    // Thumbnail `index` in the view, as shown with the first row at the top.
    QRect thumbnailRect(int index) {
        const QRect g = grid();
        const int row = index / columns() - poreView().firstRow();
        return {g.left() + index % columns() * kPoreThumbnailPitch, g.top() + row * kPoreThumbnailPitch,
                kPoreThumbnailSize, kPoreThumbnailSize};
    }
    // The colour of the caption strip of thumbnail `index` (at its left edge, clear of the text).
    QRgb stripColour(int index) {
        const QRect r = thumbnailRect(index);
        return view().canvas().pixel(r.left() + 4, r.top() + 96) & 0xffffff;
    }

    // A record under construction ready for its point k (calibrated, flows set) and a
    // recognised peak in the table.
    void readyBetPoint(int k, int32_t area) {
        ReportTable& reports = state().database->reports();
        SurfaceReportRecord& r = reports.records[reports.count];
        r.calib_count = k + 1;
        r.calib_volume_ml = 1.0f;
        r.calib_area[k] = 1000;
        r.n2_flow[k] = 10.0f + 5.0f * static_cast<float>(k);
        r.he_flow[k] = 30.0f;
        r.p0_kpa = 101.0f;
        r.ads_pressure_kpa = 98.0f;
        PeakRecord& peak = state().peaks->records[0];
        peak.area = area;
        peak.storedPointCount = 400.0f;
        for (int i = 0; i < 400; ++i) peak.points[i] = 5.0f + static_cast<float>(i < 100 ? i * 3 : (400 - i));
        state().peaks->count = 1;
    }

    // n points on the table, each with its own peak picture.
    void addPoints(int n) {
        SurfaceReportRecord record{};
        record.p0_kpa = 100.0f;
        record.ads_pressure_kpa = 95.0f;
        auto peak = std::make_unique<PeakRecord>();
        peak->storedPointCount = 1000.0f;
        for (int k = 0; k < n; ++k) {
            record.n2_flow[0] = 5.0f + static_cast<float>(k);
            record.he_flow[0] = 40.0f;
            record.volume[0] = 0.1f * static_cast<float>(k + 1);
            peak->area = 1000 + k;
            for (int i = 0; i < 1000; ++i) {
                const int rise = 150 + 40 * (k % 4);
                peak->points[i] = static_cast<float>(i < rise ? i * 300 / rise : std::max(0, 300 - (i - rise) / 2)) *
                                  (0.5f + 0.15f * static_cast<float>(k % 4));
            }
            ASSERT_TRUE(appendPorePoint(pores(), record, 0, *peak, 100.0f));
        }
        view().redraw();
    }
    void key(const char* name) {
        auto* shortcut = window()->findChild<QShortcut*>(name);
        ASSERT_NE(shortcut, nullptr) << name;
        if (shortcut->isEnabled()) emit shortcut->activated();
    }
    void wheel(int delta) {
        const QPoint at = grid().center();
        QWheelEvent event(at, view().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view(), &event);
    }
};

TEST_F(PoreViewTest, AMeasuredBetPointBecomesAPorePointACancelledOneDoesNot) {
    begin();
    state().settings.sample.weightMg = 88.0f;
    readyBetPoint(0, 2500);
    int dialogs = 0;
    onModal("多点BET取点设定", [&](QDialog& dialog) {
        ++dialogs;
        dialog.findChild<QPushButton*>("continueButton")->click();
    });
    program->surface()->openBetPoint();
    ASSERT_EQ(dialogs, 1);
    const SurfaceReportRecord& r = state().database->reports().records[state().database->reports().count];
    ASSERT_EQ(r.point_count, 1);
    ASSERT_EQ(pores().count, 1);
    EXPECT_EQ(pores().peakArea[0], 2500);
    EXPECT_FLOAT_EQ(pores().adsorbed[0], r.volume[0]);
    EXPECT_FLOAT_EQ(pores().relativePressure[0], betRelativePressure(r, 0));
    EXPECT_FLOAT_EQ(pores().mixedFlow[0], 40.0f);
    EXPECT_FLOAT_EQ(pores().weight[0], 88.0f);
    EXPECT_EQ(pores().trace[0][0], 400);
    EXPECT_EQ(pores().trace[0][100], 396);  // the 100th point, 297 of the highest 300, of 400

    // Cancelled: the BET record takes no point, neither does the pore table.
    readyBetPoint(1, 3100);
    onModal("多点BET取点设定", [&](QDialog& dialog) {
        ++dialogs;
        dialog.reject();
    });
    program->surface()->openBetPoint();
    ASSERT_EQ(dialogs, 2);
    EXPECT_EQ(r.point_count, 1);
    EXPECT_EQ(pores().count, 1);

    // Refused (no calibration for the next point): nothing kept either.
    readyBetPoint(1, 3100);
    state().database->reports().records[state().database->reports().count].calib_count = 1;
    prompts.clear();
    program->surface()->openBetPoint();
    EXPECT_EQ(pores().count, 1);
    EXPECT_EQ(prompts.texts().size(), 1u);
}

TEST_F(PoreViewTest, ThumbnailsLieBelowThePanelTheCurrentOneMarked) {
    begin();
    const QRect panel = program->reports()->reportPanelRect();
    ASSERT_GT(panel.height(), 0);
    EXPECT_GT(grid().top(), panel.bottom());
    EXPECT_GE(columns(), 3);

    // No points: the area below the panel holds no caption strip.
    const QRgb empty = stripColour(0);
    EXPECT_NE(empty, kCurrentStrip);
    EXPECT_NE(empty, kOtherStrip);

    addPoints(5);
    pores().current = 1;
    view().redraw();
    EXPECT_EQ(stripColour(0), kOtherStrip);
    EXPECT_EQ(stripColour(1), kCurrentStrip);
    EXPECT_EQ(stripColour(4), kOtherStrip);
    EXPECT_EQ(stripColour(5), empty);  // past the last point
    // Each thumbnail's trace: some dark-blue line pixels above the separator.
    const QRect t = thumbnailRect(2);
    int line = 0;
    for (int y = t.top() + 2; y < t.top() + 79; ++y) {
        for (int x = t.left() + 2; x < t.right() - 1; ++x) {
            if ((view().canvas().pixel(x, y) & 0xffffff) == (qRgb(0, 0, 160) & 0xffffff)) ++line;
        }
    }
    EXPECT_GT(line, 10);
    // The panel still covers the top of the frame, shown over the grid.
    ASSERT_NE(program->reports()->reportPanel(), nullptr);
    EXPECT_TRUE(program->reports()->reportPanel()->isVisible());

    QApplication::processEvents();
    EXPECT_TRUE(window()->grab().save(VESPIAN_BUILD_DIR "/pore_thumbnails_report_view.png"));
}

TEST_F(PoreViewTest, AClickOnAThumbnailMakesItCurrentAndOpensItsPoint) {
    begin();
    addPoints(4);
    QString shownPeakArea;
    int opened = 0;
    onModal("孔径数据属性", [&](QDialog& dialog) {
        ++opened;
        shownPeakArea = dialog.findChild<QLineEdit*>("peakAreaEdit")->text();
        dialog.reject();
    });
    view().clickAt(thumbnailRect(2).center());
    ASSERT_EQ(opened, 1);
    EXPECT_EQ(pores().current, 2);
    EXPECT_EQ(shownPeakArea, "1002");
    EXPECT_EQ(stripColour(2), kCurrentStrip);
    EXPECT_EQ(stripColour(0), kOtherStrip);

    // Its "确定" stores the corrected weight into that point, not another.
    onModal("孔径数据属性", [&](QDialog& dialog) {
        ++opened;
        dialog.findChild<QLineEdit*>("weightEdit")->setText("77.5");
        dialog.findChild<QPushButton*>("okButton")->click();
    });
    view().clickAt(thumbnailRect(3).topLeft() + QPoint(5, 5));
    ASSERT_EQ(opened, 2);
    EXPECT_EQ(pores().current, 3);
    EXPECT_FLOAT_EQ(pores().weight[3], 77.5f);
    EXPECT_FLOAT_EQ(pores().weight[2], 100.0f);

    // Between thumbnails, on an empty slot and on the panel: nothing opens, nothing changes.
    ModalCloser closer;
    view().clickAt(thumbnailRect(0).topRight() + QPoint(4, 10));
    view().clickAt(thumbnailRect(0).bottomLeft() + QPoint(10, 4));
    view().clickAt(thumbnailRect(5).center());
    view().clickAt(program->reports()->reportPanelRect().center());
    QApplication::processEvents();
    EXPECT_TRUE(closer.titles().isEmpty()) << closer.titles().join(",").toStdString();
    EXPECT_EQ(pores().current, 3);
}

TEST_F(PoreViewTest, TheWheelScrollsWholeRowsWithinThePoints) {
    begin();
    addPoints(kPorePointCapacity);
    const int rows = (kPorePointCapacity + columns() - 1) / columns();
    wheel(-120);
    EXPECT_EQ(poreView().firstRow(), 1);
    // The first thumbnail shown is now the first of the second row.
    pores().current = columns();
    view().redraw();
    EXPECT_EQ(stripColour(columns()), kCurrentStrip);
    for (int i = 0; i < 3 * rows; ++i) wheel(-120);
    EXPECT_EQ(poreView().firstRow(), rows - 1);
    for (int i = 0; i < 3 * rows; ++i) wheel(120);
    EXPECT_EQ(poreView().firstRow(), 0);
    // The scroll bar beside the grid goes as far, a row a line, and follows the wheel.
    QScrollBar* bar = poreView().scrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), rows - 1);
    EXPECT_FALSE(grid().intersects(bar->geometry()));
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(poreView().firstRow(), 1);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(poreView().firstRow(), rows - 1);
    wheel(120);
    EXPECT_EQ(bar->value(), rows - 2);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(poreView().firstRow(), 0);
    // Scrolled to the end, then the points go ("清空孔径记录"): the grid starts again at the top.
    for (int i = 0; i < 3 * rows; ++i) wheel(-120);
    ASSERT_EQ(poreView().firstRow(), rows - 1);
    prompts.answerYes();
    window()->dispatch(kCmdClearPoreRecords);
    ASSERT_EQ(pores().count, 0);
    view().redraw();
    EXPECT_EQ(poreView().firstRow(), 0);
    addPoints(2);
    EXPECT_EQ(stripColour(0), kCurrentStrip);
    EXPECT_EQ(stripColour(1), kOtherStrip);

    // Outside the report view the wheel is not the grid's, and its bar is not shown.
    state().measurement.selectView(ViewMode::BetList);
    wheel(-120);
    EXPECT_EQ(poreView().firstRow(), 0);
    view().redraw();
    QApplication::processEvents();
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PoreViewTest, TheKeysMoveTheCurrentPointAndOpenItInTheReportViewOnly) {
    begin();
    // Without points the keys do nothing (and open nothing).
    ModalCloser closer;
    key("poreNextShortcut");
    key("poreOpenShortcut");
    QApplication::processEvents();
    EXPECT_TRUE(closer.titles().isEmpty());
    EXPECT_EQ(pores().current, 0);

    addPoints(kPorePointCapacity);
    QApplication::processEvents();
    key("poreNextShortcut");
    key("poreNextShortcut");
    EXPECT_EQ(pores().current, 2);
    key("porePreviousShortcut");
    EXPECT_EQ(pores().current, 1);
    key("poreRowDownShortcut");
    EXPECT_EQ(pores().current, 1 + columns());
    key("poreRowUpShortcut");
    key("poreRowUpShortcut");
    EXPECT_EQ(pores().current, 0);  // not before the first
    key("porePreviousShortcut");
    EXPECT_EQ(pores().current, 0);

    // Down to the last point: the grid scrolls so it stays in sight, and stops there.
    for (int i = 0; i < kPorePointCapacity; ++i) key("poreRowDownShortcut");
    for (int i = 0; i < 3; ++i) key("poreNextShortcut");
    EXPECT_EQ(pores().current, kPorePointCapacity - 1);
    EXPECT_GT(poreView().firstRow(), 0);
    const QRect last = thumbnailRect(kPorePointCapacity - 1);
    EXPECT_TRUE(grid().contains(last.topLeft()));
    EXPECT_EQ(stripColour(kPorePointCapacity - 1), kCurrentStrip);
    const int bottom = poreView().firstRow();
    key("porePageUpShortcut");
    key("porePageUpShortcut");
    EXPECT_EQ(poreView().firstRow(), bottom - 2);
    key("porePageDownShortcut");
    EXPECT_EQ(poreView().firstRow(), bottom - 1);

    // Enter opens the current point.
    closer.clear();
    key("poreOpenShortcut");
    QApplication::processEvents();
    EXPECT_EQ(closer.titles(), QStringList{QString::fromUtf8("孔径数据属性")});

    // In the trace view the keys are not the grid's.
    state().measurement.selectView(ViewMode::Trace);
    view().redraw();
    QApplication::processEvents();
    EXPECT_FALSE(window()->findChild<QShortcut*>("poreNextShortcut")->isEnabled());
    key("porePreviousShortcut");
    EXPECT_EQ(pores().current, kPorePointCapacity - 1);
}

}  // namespace
}  // namespace vespian
