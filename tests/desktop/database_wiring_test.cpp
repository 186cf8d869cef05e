// The record database and the record lists in the running window, offscreen with the scripted
// prompts: the remembered database at start, the save when the window closes, 新建, the list
// view's drawing, row clicks, buttons, pop-up menu, exports and printing to PDF.

#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "analysis/desktop/pore_page_renderer.h"
#include "analysis/pore.h"
#include "app/command_ids.h"
#include "app/desktop/database_wiring.h"
#include "app/desktop/list_wiring.h"
#include "app/desktop/view_area.h"
#include "app/view_buttons.h"
#include "files/database_settings.h"
#include "platform/gbk_text.h"
#include "print/desktop/list_printer.h"
#include "program_fixture.h"

namespace vespian {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;

// Acts on the next modal dialog with this title as soon as it shows.
void onModal(const QString& title, std::function<void(QDialog&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, title, act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->windowTitle() == title) {
            timer->stop();
            timer->deleteLater();
            act(*dialog);
        }
    });
    timer->start();
}

void addSample(SampleTable& samples, int32_t number, const char* utf8Name, float area) {
    SampleRecord& r = samples.records[samples.count++];
    r.number = number;
    r.serial = number;
    copyGbkBytes(r.name, gbkFromUtf8(utf8Name));
    r.weight_mg = 100.0f;
    r.surface_area = area;
    r.peak_area = 1000 * number;
    r.trace[0] = 40.0f;
    for (int i = 1; i < 40; ++i) r.trace[i] = static_cast<float>(i < 20 ? i : 40 - i) * number;
    r.measured_year = 2026;
    r.measured_month = 12;
    r.measured_day = 9;
    r.in_use = 1;
}

void addReport(ReportTable& reports, int32_t number, float betArea) {
    SurfaceReportRecord& r = reports.records[reports.count++];
    r.number = number;
    copyGbkBytes(r.name, gbkFromUtf8("氧化铝"));
    r.weight_mg = 120.0f;
    r.point_count = 3;
    r.bet_area = betArea;
    r.correlation = 0.999f;
    r.in_use = 1;
}

class DatabaseWiringTest : public testing::ProgramFixture {
protected:
    DatabaseWiring& database() { return *program->database(); }
    ListWiring& lists() { return *program->lists(); }
    RecordDatabase& db() { return *state().database; }
    ViewArea& view() { return *window()->viewArea(); }

    void showListView(RecordList list) {
        state().measurement.selectView(ViewMode::BetList);
        view().showToolbarOfView();  // as the tab's click does
        lists().showList(list);
        QApplication::processEvents();
    }
    // A point in the middle of row `row` of the shown list.
    QPoint rowPoint(int row) {
        const QRect inside = view().viewInside();
        return {inside.left() + 40, inside.top() + 27 + 20 * row + 10};
    }
    bool noticeShown() {
        for (const std::string& text : prompts.texts()) {
            if (text.find("功能尚未提供") != std::string::npos) return true;
        }
        return false;
    }
    std::string databaseFile(const char* name) { return (folder / "SAVE" / name).string(); }
};

TEST_F(DatabaseWiringTest, TheRememberedDatabaseIsLoadedAtStartAndSavedWhenTheWindowCloses) {
    fs::create_directories(folder / "SAVE");
    {
        RecordDatabase stored;
        addSample(stored.samples(), 7, "硅胶", 310.5f);
        addReport(stored.reports(), 3, 212.0f);
        ASSERT_TRUE(saveDatabase(databaseFile("lab.03D"), stored).ok);
        ASSERT_TRUE(rememberDatabase((folder / kDatabaseSettingsFileName).string(), databaseFile("lab.03D")));
    }
    start(0.0001);
    EXPECT_EQ(state().databaseTitle, "lab.03D");
    EXPECT_EQ(state().databasePath, databaseFile("lab.03D"));
    ASSERT_EQ(db().samples().count, 1);
    EXPECT_EQ(db().samples().records[0].number, 7);
    EXPECT_EQ(db().reports().records[0].bet_area, 212.0f);

    // A record added in this run is in the file after the window closed, and is read at the
    // next start.
    addSample(db().samples(), 8, "活性炭", 900.0f);
    window()->dispatch(kCmdExit);
    ASSERT_TRUE(waitUntil([&] { return !window()->isVisible(); }));
    EXPECT_EQ(prompts.unscripted(), 0);
    program.reset();

    start(0.0001);
    ASSERT_EQ(db().samples().count, 2);
    EXPECT_EQ(readGbkField(db().samples().records[1].name), "活性炭");
    EXPECT_EQ(db().reports().count, 1);
}

TEST_F(DatabaseWiringTest, ARefusedRememberedFileIsReportedAndNeverOverwritten) {
    fs::create_directories(folder / "SAVE");
    const std::string broken(50, '\x7f');  // counts no table can hold
    testing::writeBytes(databaseFile("broken.03D"), broken);
    ASSERT_TRUE(rememberDatabase((folder / kDatabaseSettingsFileName).string(), databaseFile("broken.03D")));
    start(0.0001);
    // After the missing settings' warning, the refused database.
    ASSERT_FALSE(prompts.records().empty());
    EXPECT_EQ(prompts.records().back().caption, "错误");
    EXPECT_EQ(prompts.records().back().icon, PromptIcon::Error);
    EXPECT_TRUE(state().databaseTitle.empty());
    EXPECT_TRUE(db().empty());
    window()->dispatch(kCmdExit);  // nothing to save: no question
    ASSERT_TRUE(waitUntil([&] { return !window()->isVisible(); }));
    EXPECT_EQ(testing::readBytes(databaseFile("broken.03D")), broken);
}

TEST_F(DatabaseWiringTest, ClosingWithRecordsAndNoDatabaseAsksForAName) {
    start(0.0001);
    prompts.clear();
    addReport(db().reports(), 1, 150.0f);

    // Cancelled, then "give the records up?" No: the window stays.
    prompts.cancelFile();
    prompts.answerNo();
    window()->dispatch(kCmdExit);
    QApplication::processEvents();
    EXPECT_TRUE(window()->isVisible());
    ASSERT_GE(prompts.records().size(), 2u);
    EXPECT_EQ(prompts.records()[0].kind, testing::PromptRecord::Kind::SaveFile);
    EXPECT_EQ(prompts.records()[0].caption, kSaveDatabaseTitle);
    EXPECT_EQ(prompts.records()[1].text, kUnsavedRecordsQuestion);

    // The close box asks the same; a name given saves there and is remembered.
    prompts.clear();
    prompts.chooseFile(databaseFile("kept"));
    window()->close();
    ASSERT_TRUE(waitUntil([&] { return !window()->isVisible(); }));
    EXPECT_TRUE(fs::exists(databaseFile("kept.03D")));
    EXPECT_EQ(readRememberedDatabase((folder / kDatabaseSettingsFileName).string()), databaseFile("kept.03D"));
    RecordDatabase reread;
    ASSERT_TRUE(loadDatabase(databaseFile("kept.03D"), reread).ok);
    EXPECT_EQ(reread.reports().count, 1);
    EXPECT_EQ(reread.reports().records[0].bet_area, 150.0f);
}

TEST_F(DatabaseWiringTest, NewDatabaseAsksForAFileAndEmptiesTheTables) {
    start(0.0001);
    addSample(db().samples(), 1, "A", 10.0f);
    // The records go to a file of their own first, then the new database is chosen.
    prompts.chooseFile(databaseFile("old"));
    prompts.chooseFile(databaseFile("fresh"));
    window()->dispatch(kCmdNewDatabase);
    EXPECT_EQ(prompts.unscripted(), 0);
    EXPECT_EQ(state().databaseTitle, "fresh.03D");
    EXPECT_TRUE(db().empty());
    EXPECT_EQ(fs::file_size(databaseFile("fresh.03D")), 10u);
    RecordDatabase old;
    ASSERT_TRUE(loadDatabase(databaseFile("old.03D"), old).ok);
    EXPECT_EQ(old.samples().count, 1);

    // An existing file is replaced only after Yes.
    prompts.clear();
    prompts.chooseFile(databaseFile("old.03D"));
    prompts.answerNo();
    window()->dispatch(kCmdNewDatabase);
    EXPECT_EQ(state().databaseTitle, "fresh.03D");
    EXPECT_NE(std::find(prompts.texts().begin(), prompts.texts().end(),
                        "‘" + databaseFile("old.03D") + "’文件已经存在，是否要替换它？"),
              prompts.texts().end());
}

// The pore points measured with a database come back with it, from their file beside it; the
// title names the database and shows while records or points are not yet saved; a pore report
// shows its distribution as a plot and a table.
TEST_F(DatabaseWiringTest, PorePointsAreKeptWithTheDatabaseAndTheTitleMarksUnsavedChanges) {
    fs::create_directories(folder / "SAVE");
    {
        RecordDatabase stored;
        ASSERT_TRUE(saveDatabase(databaseFile("lab.03D"), stored).ok);
        ASSERT_TRUE(rememberDatabase((folder / kDatabaseSettingsFileName).string(), databaseFile("lab.03D")));
    }
    start(0.0001);
    const QString clean = "Vespian2002 v2.9.10.12 - lab.03D";
    EXPECT_EQ(window()->windowTitle(), clean);
    PoreTable& pores = program->database()->pores();
    pores.count = 2;
    const float sizes[] = {42.5f, 21.25f};
    for (int i = 0; i < 2; ++i) {
        pores.poreSize[i] = sizes[i];
        pores.relativePressure[i] = 0.9f - 0.2f * static_cast<float>(i);
        pores.adsorbed[i] = 1.0f - 0.4f * static_cast<float>(i);
        pores.trace[i][0] = 0;
    }
    // Changed behind the wiring's back: its own look at the tables finds it.
    ASSERT_TRUE(waitUntil([&] { return window()->windowTitle() == clean + "*"; }));

    // "保存" in the list view writes the database and the points beside it.
    showListView(RecordList::Reports);
    window()->dispatch(kCmdSave);
    EXPECT_EQ(window()->windowTitle(), clean);
    EXPECT_TRUE(fs::exists(databaseFile("lab.03D") + ".pores"));
    EXPECT_EQ(fs::file_size(databaseFile("lab.03D")), 12u) << "the database file as ever: three empty tables";

    // A pore report of the two points; its row selected: unsaved again.
    SampleIdentity sample;
    ASSERT_TRUE(createPoreReport(db().reports(), pores, "31", "孔径", sample, CalendarDate{2025, 5, 6}).created);
    program->database()->refreshTitle();
    EXPECT_EQ(window()->windowTitle(), clean + "*");
    window()->dispatch(kCmdExit);
    ASSERT_TRUE(waitUntil([&] { return !window()->isVisible(); }));
    program.reset();

    start(0.0001);
    PoreTable& again = program->database()->pores();
    ASSERT_EQ(again.count, 2);
    EXPECT_EQ(again.poreSize[1], 21.25f);
    EXPECT_EQ(window()->windowTitle(), clean) << "as loaded: nothing to save";
    ASSERT_EQ(db().reports().count, 1);

    // Its page: the distribution, the smallest pore first.
    showListView(RecordList::Reports);
    view().doubleClickAt(rowPoint(0));
    ASSERT_TRUE(lists().betPageShown());
    const QImage page = view().screenImage();
    EXPECT_TRUE(page.save(VESPIAN_BUILD_DIR "/pore_report_page.png"));
    const QImage expected = PorePageRenderer::pageImage(db().reports().records[0], again);
    const QRect area = lists().listArea(view().viewInside());
    EXPECT_EQ(page.copy(QRect(area.topLeft(), QSize(400, 300))), expected.copy(0, 0, 400, 300));
}

// Finding one's way: the list view's tab names the list shown, and "打开" says what it opens.
TEST_F(DatabaseWiringTest, TheListTabNamesItsListAndTheOpenButtonWhatItOpens) {
    start(0.0001);
    auto openTip = [&] {
        for (QToolBar* bar : window()->findChildren<QToolBar*>()) {
            if (!bar->isVisible()) continue;
            if (QAction* open = bar->findChild<QAction*>(QString("tool%1").arg(kCmdOpen))) return open->toolTip();
        }
        return QString();
    };
    EXPECT_EQ(openTip(), "打开一个谱图文件");
    window()->dispatch(kCmdReportView);
    QApplication::processEvents();
    EXPECT_EQ(openTip(), "打开一个报告文件");
    for (const auto& [list, tab] : {std::pair{RecordList::Standards, "标样列表"}, std::pair{RecordList::Samples, "样品列表"},
                                    std::pair{RecordList::Reports, "BET列表"}}) {
        showListView(list);
        EXPECT_EQ(view().tabTitle(2), QString::fromUtf8(tab));
    }
    EXPECT_EQ(openTip(), "打开一个数据库");
}

TEST_F(DatabaseWiringTest, OpenAndSaveWorkOnTheDatabaseInTheListView) {
    fs::create_directories(folder / "SAVE");
    RecordDatabase other;
    addReport(other.reports(), 4, 99.0f);
    ASSERT_TRUE(saveDatabase(databaseFile("other.03D"), other).ok);
    start(0.0001);
    showListView(RecordList::Reports);
    prompts.chooseFile(databaseFile("other.03D"));
    window()->dispatch(kCmdOpen);
    EXPECT_EQ(state().databaseTitle, "other.03D");
    ASSERT_EQ(db().reports().count, 1);
    EXPECT_EQ(db().reports().records[0].number, 4);

    db().reports().records[0].bet_area = 101.0f;
    window()->dispatch(kCmdSave);
    RecordDatabase reread;
    ASSERT_TRUE(loadDatabase(databaseFile("other.03D"), reread).ok);
    EXPECT_EQ(reread.reports().records[0].bet_area, 101.0f);
    EXPECT_FALSE(noticeShown());
}

TEST_F(DatabaseWiringTest, TheClearCommandsAskAndEmptyTheirTable) {
    start(0.0001);
    prompts.clear();
    addSample(db().samples(), 1, "A", 1.0f);
    addReport(db().reports(), 1, 1.0f);
    db().standards().count = 1;
    db().standards().records[0].in_use = 1;

    prompts.answerNo();
    window()->dispatch(kCmdClearComparisonRecords);
    EXPECT_EQ(db().samples().count, 1);
    prompts.answerYes();
    window()->dispatch(kCmdClearComparisonRecords);
    EXPECT_EQ(db().samples().count, 0);
    EXPECT_EQ(db().samples().records[0].in_use, 0);

    prompts.answerYes();
    window()->dispatch(kCmdClearStandards);
    EXPECT_EQ(db().standards().count, 0);
    prompts.answerYes();
    window()->dispatch(kCmdClearBetRecords);
    EXPECT_EQ(db().reports().count, 0);
    database().pores().count = 2;
    database().pores().deadVolumeCount = 3;
    prompts.answerYes();
    window()->dispatch(kCmdClearPoreRecords);
    EXPECT_EQ(database().pores().count, 0);
    prompts.answerYes();
    window()->dispatch(kCmdClearDeadVolumes);
    EXPECT_EQ(database().pores().deadVolumeCount, 0);
    EXPECT_EQ(prompts.records().size(), 6u);
    EXPECT_EQ(prompts.records()[0].caption, "清空比较法比表面积库");
    EXPECT_FALSE(noticeShown());
}

TEST_F(DatabaseWiringTest, RowClicksToggleTheSelectionAndTheButtonsActOnTheShownList) {
    start(0.0001);
    for (int i = 1; i <= 3; ++i) addSample(db().samples(), i, i == 2 ? "二氧化钛" : "硅胶", 100.0f * i);
    showListView(RecordList::Samples);
    SampleTable& samples = db().samples();

    view().clickAt(rowPoint(1));
    EXPECT_EQ(samples.records[1].selected, 1);
    EXPECT_EQ(samples.records[0].selected, 0);
    const QImage selectedShot = view().screenImage();
    EXPECT_TRUE(selectedShot.save(VESPIAN_BUILD_DIR "/comparison_sample_list.png"));
    EXPECT_TRUE(window()->grab().save(VESPIAN_BUILD_DIR "/comparison_sample_list_window.png"));
    view().clickAt(rowPoint(1));
    EXPECT_EQ(samples.records[1].selected, 0);
    view().clickAt(rowPoint(5));  // below the last record
    view().clickAt(QPoint(rowPoint(0).x(), view().viewInside().top() + 10));  // the header
    for (int i = 0; i < 3; ++i) EXPECT_EQ(samples.records[i].selected, 0) << i;

    // The selected row is drawn in its colour: the picture changed where row 1 lies.
    EXPECT_NE(view().screenImage(), selectedShot);

    window()->viewButtonPressed(kViewButtonSelectAll);
    for (int i = 0; i < 3; ++i) EXPECT_NE(samples.records[i].selected, 0) << i;
    view().clickAt(rowPoint(0));
    EXPECT_EQ(samples.records[0].selected, 0);
    window()->viewButtonPressed(kViewButtonInvertSelection);
    EXPECT_NE(samples.records[0].selected, 0);
    EXPECT_EQ(samples.records[1].selected, 0);
    window()->viewButtonPressed(kViewButtonClearSelection);
    EXPECT_EQ(samples.records[0].selected, 0);

    // Delete the selected row 1 after Yes: rows 0 and 2 remain, numbers kept.
    view().clickAt(rowPoint(1));
    prompts.answerYes();
    window()->viewButtonPressed(kViewButtonDeleteSelected);
    ASSERT_EQ(samples.count, 2);
    EXPECT_EQ(samples.records[0].number, 1);
    EXPECT_EQ(samples.records[1].number, 3);
    prompts.answerNo();
    window()->viewButtonPressed(kViewButtonDeleteAll);
    EXPECT_EQ(samples.count, 2);
    prompts.answerYes();
    window()->viewButtonPressed(kViewButtonDeleteAll);
    EXPECT_EQ(samples.count, 0);
    EXPECT_FALSE(noticeShown());
}

TEST_F(DatabaseWiringTest, TheBetListShowsAPageOnDoubleClickAndTheButtonLeavesIt) {
    start(0.0001);
    addReport(db().reports(), 1, 180.25f);
    addReport(db().reports(), 2, 95.5f);
    showListView(RecordList::Reports);
    EXPECT_TRUE(view().screenImage().save(VESPIAN_BUILD_DIR "/bet_list_view.png"));
    const QImage list = view().screenImage();

    view().doubleClickAt(QPoint(rowPoint(0).x(), view().viewInside().top() + 25 + 20 + 10));
    EXPECT_EQ(state().betDetail, 1);
    EXPECT_EQ(state().selectedRow, 1);
    EXPECT_TRUE(lists().betPageShown());
    EXPECT_NE(view().screenImage(), list);
    EXPECT_TRUE(view().screenImage().save(VESPIAN_BUILD_DIR "/bet_page_view.png"));
    // On the page the selection commands leave the list alone.
    window()->viewButtonPressed(kViewButtonSelectAll);
    EXPECT_EQ(db().reports().records[0].selected, 0);

    // The reports emptied under the page: the (empty) list shows again and answers clicks.
    prompts.answerYes();
    window()->dispatch(kCmdClearBetRecords);
    EXPECT_FALSE(lists().betPageShown());
    addReport(db().reports(), 1, 180.25f);
    view().clickAt(rowPoint(0));
    EXPECT_NE(db().reports().records[0].selected, 0);

    window()->viewButtonPressed(kViewButtonLeaveDetail);
    EXPECT_EQ(state().betDetail, 0);
    view().doubleClickAt(QPoint(rowPoint(0).x(), view().viewInside().top() + 25 + 20 * 5 + 10));  // no report there
    EXPECT_EQ(state().betDetail, 0);
}

TEST_F(DatabaseWiringTest, TheWheelScrollsTheListAndThePageWithinTheirRange) {
    start(0.0001);
    constexpr int kReports = 60;
    for (int i = 1; i <= kReports; ++i) addReport(db().reports(), i, 10.0f * i);
    showListView(RecordList::Reports);
    const QRect area = lists().listArea(view().viewInside());
    // As far as the last rows fill the area under the header.
    const int last = kReports - (area.height() - 25) / 20;
    ASSERT_GT(last, 3);
    lists().scrollRows(3);
    EXPECT_EQ(lists().firstRow(), 3);
    lists().scrollRows(1000);
    EXPECT_EQ(lists().firstRow(), last);
    // A click now toggles the record shown in the first row.
    view().clickAt(rowPoint(0));
    EXPECT_NE(db().reports().records[last].selected, 0);
    lists().scrollRows(-1000);
    EXPECT_EQ(lists().firstRow(), 0);
    // Another list keeps its own position.
    lists().scrollRows(2);
    showListView(RecordList::Samples);
    EXPECT_EQ(lists().firstRow(), 0);
    showListView(RecordList::Reports);
    EXPECT_EQ(lists().firstRow(), 2);

    // The wheel over the view: down one notch, three rows further.
    const QPoint at = view().viewInside().center();
    QWheelEvent down(at, view().mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view(), &down);
    EXPECT_EQ(lists().firstRow(), 5);

    // The sample list is wider than the view: sideways as far as its last column, no further.
    showListView(RecordList::Samples);
    // The list's own pixels: the banner above it moves on its own timer.
    auto listPixels = [&] { return view().screenImage().copy(area); };
    const QImage left = listPixels();
    QWheelEvent sideways(at, view().mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::ShiftModifier,
                         Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view(), &sideways);
    EXPECT_EQ(lists().sidewaysScroll(), 40);
    EXPECT_NE(listPixels(), left);
    lists().scrollSideways(100000);
    EXPECT_EQ(lists().sidewaysScroll(), state().zevid.columns[0] - area.width());
    lists().scrollSideways(-100000);
    EXPECT_EQ(lists().sidewaysScroll(), 0);
    EXPECT_EQ(listPixels(), left);
}

// A record below the screen is reached with the scroll bar alone: no wheel, no keys.
TEST_F(DatabaseWiringTest, TheListViewsScrollBarsReachEveryRecordAndThePage) {
    start(0.0001);
    constexpr int kReports = 80;
    for (int i = 1; i <= kReports; ++i) addReport(db().reports(), i, 10.0f * i);
    showListView(RecordList::Reports);
    QScrollBar* down = lists().verticalBar();
    QScrollBar* across = lists().horizontalBar();
    ASSERT_TRUE(down->isVisible());
    ASSERT_TRUE(across->isVisible());
    const QRect area = lists().listArea(view().viewInside());
    const int rowsShown = (area.height() - 25) / 20;
    EXPECT_EQ(down->maximum(), kReports - rowsShown);
    EXPECT_EQ(down->singleStep(), 1);
    EXPECT_EQ(down->pageStep(), 10);
    EXPECT_FALSE(area.intersects(down->geometry())) << "clear of the rows";
    EXPECT_TRUE(view().viewInside().contains(down->geometry())) << "inside the view's frame";

    down->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(lists().firstRow(), 10);
    down->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(lists().firstRow(), 11);
    down->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(lists().firstRow(), kReports - rowsShown);
    view().clickAt(rowPoint(rowsShown - 1));
    EXPECT_NE(db().reports().records[kReports - 1].selected, 0) << "the last record, in the last row";
    lists().scrollRows(-3);
    EXPECT_EQ(down->value(), kReports - rowsShown - 3) << "the wheel moves the bar along";

    // The BET list is narrower than the view: nothing to scroll sideways.
    EXPECT_FALSE(across->isEnabled());
    // Its page: 1000 pixels high, one pixel a line, a hundred a page.
    view().doubleClickAt(rowPoint(0));
    ASSERT_TRUE(lists().betPageShown());
    EXPECT_EQ(down->maximum(), std::max(0, 1000 - area.height()));
    EXPECT_EQ(down->pageStep(), 100);
    EXPECT_EQ(down->value(), 0);

    // Another view: the bars go with the list.
    window()->dispatch(kCmdReportView);
    QApplication::processEvents();
    EXPECT_FALSE(down->isVisible());
    EXPECT_FALSE(across->isVisible());
    EXPECT_TRUE(view().grab().save(VESPIAN_BUILD_DIR "/report_view.png"));
    showListView(RecordList::Reports);
    EXPECT_TRUE(down->isVisible());
    EXPECT_TRUE(view().grab().save(VESPIAN_BUILD_DIR "/bet_page_scrolled.png"));
}

TEST_F(DatabaseWiringTest, ThePopupMenuSwitchesListsAndOpensTheDetails) {
    start(0.0001);
    addSample(db().samples(), 1, "A", 1.0f);
    addSample(db().samples(), 2, "B", 2.0f);
    db().samples().records[1].selected = 1;
    showListView(RecordList::Samples);
    std::unique_ptr<QMenu> menu = lists().popupMenu();
    QStringList texts;
    for (QAction* action : menu->actions()) {
        if (!action->isSeparator()) texts << action->text();
    }
    for (const char* expected : {"显示详细信息", "选择所有数据", "反向选择数据", "取消选择数据", "删除选择数据", "删除所有数据",
                                 "显示标样数据", "显示对比分析法样品数据", "显示BET分析法样品数据", "导出为文本", "导出为CSV",
                                 "打印设置", "打印"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    }
    auto action = [&](const char* text) {
        for (QAction* a : menu->actions()) {
            if (a->text() == QString::fromUtf8(text)) return a;
        }
        return static_cast<QAction*>(nullptr);
    };

    QString detailsName;
    onModal("详细信息", [&](QDialog& dialog) {
        detailsName = dialog.findChild<QLineEdit*>("nameEdit")->text();
        dialog.reject();
    });
    action("显示详细信息")->trigger();
    EXPECT_EQ(detailsName, "B");  // the selected sample

    action("显示标样数据")->trigger();
    EXPECT_EQ(lists().activeList(), RecordList::Standards);
    menu = lists().popupMenu();
    EXPECT_FALSE(action("显示详细信息")->isEnabled());  // details are the samples'
    EXPECT_TRUE(action("显示标样数据")->isChecked());
    action("显示BET分析法样品数据")->trigger();
    EXPECT_EQ(lists().activeList(), RecordList::Reports);
    window()->dispatch(kCmdShowComparisonSamples);
    EXPECT_EQ(lists().activeList(), RecordList::Samples);
}

TEST_F(DatabaseWiringTest, ExportsWriteTheTextAndCsvFiles) {
    start(0.0001);
    addSample(db().samples(), 1, "硅胶", 123.456f);
    addSample(db().samples(), 2, "不选", 1.0f);
    db().samples().records[0].selected = 1;
    showListView(RecordList::Samples);
    prompts.chooseFile(databaseFile("list"));
    window()->dispatch(kCmdSaveAsText);
    const std::string text = testing::readBytes(databaseFile("list.txt"));
    EXPECT_NE(text.find(gbkFromUtf8("硅胶")), std::string::npos);
    EXPECT_EQ(text.find(gbkFromUtf8("不选")), std::string::npos);  // only the selected samples
    EXPECT_NE(text.find("123.456"), std::string::npos);

    prompts.chooseFile(databaseFile("list"));
    EXPECT_TRUE(lists().exportCsv());
    const std::string csv = testing::readBytes(databaseFile("list.csv"));
    EXPECT_NE(csv.find("硅胶"), std::string::npos);
    EXPECT_EQ(csv.find("不选"), std::string::npos);
    EXPECT_FALSE(noticeShown());
}

// "导出PDF" of the pop-up menu: the shown list's printed pages without the print dialog; the
// BET page shown from the list exports that report's page instead.
TEST_F(DatabaseWiringTest, ThePopupExportsTheShownListOrPageAsPdf) {
    start(0.0001);
    for (int i = 1; i <= 16; ++i) addSample(db().samples(), i, "硅胶", 10.0f * i);
    showListView(RecordList::Samples);
    window()->viewButtonPressed(kViewButtonSelectAll);
    auto trigger = [&](const char* text) {
        std::unique_ptr<QMenu> menu = lists().popupMenu();
        for (QAction* a : menu->actions()) {
            if (a->text() == QString::fromUtf8(text)) {
                a->trigger();
                return true;
            }
        }
        return false;
    };
    prompts.chooseFile(databaseFile("samples"));
    ASSERT_TRUE(trigger("导出PDF"));
    const std::string pdf = testing::readBytes(databaseFile("samples.pdf"));
    ASSERT_GT(pdf.size(), 1000u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_FALSE(noticeShown());

    addReport(db().reports(), 1, 42.0f);
    showListView(RecordList::Reports);
    state().selectedRow = 0;
    state().betDetail = 1;
    prompts.chooseFile(databaseFile("bet"));
    ASSERT_TRUE(trigger("导出PDF"));
    EXPECT_EQ(testing::readBytes(databaseFile("bet.pdf")).substr(0, 5), "%PDF-");
}

TEST_F(DatabaseWiringTest, PrintingTheShownListAsksTheHeaderAndWritesAPdf) {
    start(0.0001);
    for (int i = 1; i <= 16; ++i) addSample(db().samples(), i, "硅胶", 10.0f * i);
    showListView(RecordList::Samples);
    window()->viewButtonPressed(kViewButtonSelectAll);
    const std::string pdf = (folder / "list.pdf").string();
    lists().printer().printer().setOutputFormat(QPrinter::PdfFormat);
    lists().printer().printer().setOutputFileName(QString::fromStdString(pdf));

    // "打印设置" cancelled: nothing printed.
    onModal("打印设置", [](QDialog& dialog) { dialog.findChild<QPushButton*>("cancelButton")->click(); });
    window()->dispatch(kCmdPrint);
    EXPECT_FALSE(fs::exists(pdf));

    onModal("打印设置", [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("headerEdit")->setText("催化剂比表面积");
        dialog.findChild<QPushButton*>("okButton")->click();
    });
    prompts.answerYes();  // the print dialog
    window()->dispatch(kCmdPrint);
    EXPECT_EQ(lists().printer().pagesPrinted(), 2);  // fifteen to a page
    EXPECT_EQ(lists().printer().settings().header, "催化剂比表面积");
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_GT(fs::file_size(pdf), 1000u);

    // The BET list prints one page per selected report, without the header question.
    fs::remove(pdf);
    addReport(db().reports(), 1, 10.0f);
    addReport(db().reports(), 2, 20.0f);
    addReport(db().reports(), 3, 30.0f);
    db().reports().records[0].selected = 1;
    db().reports().records[2].selected = 1;
    showListView(RecordList::Reports);
    prompts.clear();
    prompts.answerYes();
    window()->dispatch(kCmdPrint);
    EXPECT_EQ(lists().printer().pagesPrinted(), 2);
    EXPECT_TRUE(fs::exists(pdf));
    EXPECT_EQ(prompts.unscripted(), 0);
}

TEST_F(DatabaseWiringTest, ThePoreButtonsOfTheReportViewAskAndMakeAPoreReport) {
    start(0.0001);
    prompts.clear();
    state().measurement.selectView(ViewMode::Report);
    // No point yet: the properties have nothing to show, the deletions ask and change nothing.
    window()->viewButtonPressed(kViewButtonPoreProperties);
    prompts.answerYes();
    window()->viewButtonPressed(kViewButtonDeletePoreRecord);
    prompts.answerYes();
    window()->viewButtonPressed(kViewButtonDeleteAllPoreRecords);
    EXPECT_EQ(database().pores().count, 0);

    onModal("生成孔径分布报告", [](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("numberEdit")->setText("42");
        dialog.findChild<QPushButton*>("okButton")->click();
    });
    window()->viewButtonPressed(kViewButtonPoreReport);
    ASSERT_EQ(db().reports().count, 1);
    EXPECT_EQ(db().reports().records[0].number, 42);
    EXPECT_EQ(db().reports().records[0].point_count, 0);
    EXPECT_EQ(prompts.texts().back(), "孔径报告已生成,其编号为：42.");
    EXPECT_FALSE(noticeShown());
}

}  // namespace
}  // namespace vespian
