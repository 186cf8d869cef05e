#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/bet.h"
#include "analysis/bet_list.h"
#include "analysis/bet_page.h"
#include "analysis/comparison_lists.h"
#include "files/record_database.h"
#include "platform/gbk_text.h"

namespace vespian {
namespace {

// The three-point report of the BET tests: P/Po 0.09835, 0.19670, 0.29505; 1/(V(Po/P − 1))
// 0.014384, 0.025832, 0.038394; slope 0.116401, intercept 0.002936, 36.535 m²/g.
SurfaceReportRecord threePointReport() {
    SurfaceReportRecord r{};
    r.number = 5;
    writeGbkField(r.name, "氧化铝");
    writeGbkField(r.sending_company, "化工所");
    r.weight_mg = 100.0f;
    r.n2_temp_c = 15.0f;
    r.ads_pressure_kpa = 101.3f;
    r.p0_kpa = 103.0f;
    const float volumes[] = {0.8f, 1.0f, 1.15f};
    const float n2[] = {5, 10, 15};
    const float he[] = {45, 40, 35};
    for (int i = 0; i < 3; ++i) {
        r.volume[i] = volumes[i];
        r.n2_flow[i] = n2[i];
        r.he_flow[i] = he[i];
    }
    r.point_count = 3;
    r.in_use = 1;
    BetRawVolumes raw;
    ComputeBet(r, raw, true);
    return r;
}

const DrawText& textAt(const DrawList& list, const std::string& text) {
    const DrawText* found = list.findText(text);
    EXPECT_NE(found, nullptr) << text;
    static const DrawText none;
    return found != nullptr ? *found : none;
}

void expectNoInfinityOrNan(const DrawList& list) {
    for (const DrawText* t : list.texts()) {
        EXPECT_EQ(t->text.find("inf"), std::string::npos) << t->text;
        EXPECT_EQ(t->text.find("nan"), std::string::npos) << t->text;
    }
}

TEST(BetPage, SummaryTextsAtTheirPlaces) {
    const DrawList page = BetPage(threePointReport(), 1.0, 1.0);
    const DrawText& number = textAt(page, "样品编号：5");
    EXPECT_EQ(number.x, 50);
    EXPECT_EQ(number.y, 50);
    EXPECT_EQ(number.pixelSize, 13);
    EXPECT_EQ(textAt(page, "样品名称：氧化铝").y, 65);
    EXPECT_EQ(textAt(page, "样品重量：100.0 [mg]").y, 80);
    EXPECT_EQ(textAt(page, "样品来源：化工所").y, 95);
    EXPECT_EQ(textAt(page, "斜　　率：0.116401").x, 300);
    EXPECT_EQ(textAt(page, "截　　距：0.002936").y, 65);
    EXPECT_EQ(textAt(page, "相关系数：0.999641").y, 80);
    EXPECT_EQ(textAt(page, "BET比表面积：36.535 [m2/g]").y, 95);
    EXPECT_EQ(textAt(page, "BET绘图").y, 140);
    const DrawText* ordinate = nullptr;
    for (const DrawText* t : page.texts()) {
        if (t->rotated) ordinate = t;
    }
    ASSERT_NE(ordinate, nullptr);
    EXPECT_EQ(ordinate->text, "1/(V((Po/P)-1))");
    EXPECT_EQ(ordinate->x, 30);
    EXPECT_EQ(ordinate->y, 400);
}

TEST(BetPage, TickLabelsDescribeThePlottedScale) {
    const DrawList page = BetPage(threePointReport(), 1.0, 1.0);
    // The frame spans 1.1 × the largest point: P/Po 0.32455 and 0.042234.
    const DrawText& xEnd = textAt(page, "0.32");
    EXPECT_EQ(xEnd.x, 630);
    EXPECT_EQ(xEnd.h, HAlign::Centre);
    EXPECT_EQ(textAt(page, "0.16").x, 380);  // the middle tick: half the scale
    const DrawText& yTop = textAt(page, "0.0422");
    EXPECT_EQ(yTop.y, 160);
    EXPECT_EQ(yTop.x, 122);
    EXPECT_EQ(yTop.h, HAlign::Right);
    EXPECT_EQ(textAt(page, "0.0211").y, 360);
    EXPECT_EQ(textAt(page, "0.0000").y, 560);

    // The last point sits at 1/1.1 of the frame in both directions.
    int dots = 0;
    for (const DrawText* t : page.texts()) {
        if (t->text != "●") continue;
        ++dots;
        EXPECT_EQ(t->colour, rgb(0, 130, 230));
        if (dots == 3) {
            EXPECT_EQ(t->x, 130 + 454);
            EXPECT_EQ(t->y, 196);  // 560 − 363.6, truncated
        }
    }
    EXPECT_EQ(dots, 3);
}

TEST(BetPage, LineFromTheInterceptToTheLastPoint) {
    const SurfaceReportRecord r = threePointReport();
    const DrawList page = BetPage(r, 1.0, 1.0);
    const DrawLine* line = nullptr;
    for (const DrawItem& item : page.items) {
        if (const auto* l = std::get_if<DrawLine>(&item); l && l->colour == rgb(180, 0, 200)) line = l;
    }
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->to.x, 130);
    // intercept 0.002936 of a 0.042234 scale over 400 units: 27.8 units above the bottom.
    EXPECT_EQ(line->to.y, 532);
    EXPECT_EQ(line->from.x, 584);
    EXPECT_EQ(line->clip, kBetPageFrame);
}

TEST(BetPage, PrinterScaleMultipliesEveryPosition) {
    const DrawList page = BetPage(threePointReport(), 3.5, 3.3);
    const DrawText& number = textAt(page, "样品编号：5");
    EXPECT_EQ(number.x, 175);
    EXPECT_EQ(number.y, 165);
    EXPECT_EQ(number.pixelSize, 45);
    EXPECT_EQ(textAt(page, "样品名称：氧化铝").y, 165 + 52);  // the step is 15·sx
    EXPECT_EQ(textAt(page, "相对压力 P/Po").x, 1155);
    EXPECT_EQ(textAt(page, "相对压力 P/Po").y, 1980);
    EXPECT_EQ(std::get_if<DrawFill>(&page.items[0])->box, (DrawBox{0, 0, 2450, 3300}));
    for (const DrawItem& item : page.items) {
        if (const auto* frame = std::get_if<DrawFrame>(&item)) {
            EXPECT_EQ(frame->box, (DrawBox{455, 528, 2206, 1849}));
            EXPECT_EQ(frame->width, 3);
        }
    }
}

TEST(BetPage, PointTableListsEveryPoint) {
    const DrawList page = BetPage(threePointReport(), 1.0, 1.0);
    EXPECT_EQ(textAt(page, "0.098350").y, 690);
    EXPECT_EQ(textAt(page, "0.098350").x, 135);
    EXPECT_EQ(textAt(page, "10.901041").y, 718);
    EXPECT_EQ(textAt(page, "10.901041").x, 310);
    EXPECT_EQ(textAt(page, "0.038394").x, 470);
}

TEST(BetPage, DegenerateReportShowsDashesAndNoPlot) {
    SurfaceReportRecord r = threePointReport();
    r.weight_mg = 0.0f;
    BetRawVolumes raw;
    raw.volume[0] = 0.8f;
    raw.volume[1] = 1.0f;
    raw.volume[2] = 1.15f;
    ComputeBet(r, raw, false);
    const DrawList page = BetPage(r, 1.0, 1.0);
    expectNoInfinityOrNan(page);
    EXPECT_NE(page.findText("BET比表面积：— [m2/g]"), nullptr);
    EXPECT_EQ(page.findText("●"), nullptr);
    expectNoInfinityOrNan(betReportValues(r, 0));

    // A pore report in the list: 150 points, no BET values; never more than ten rows.
    SurfaceReportRecord pore{};
    pore.point_count = 150;
    pore.in_use = 1;
    const DrawList porePage = BetPage(pore, 1.0, 1.0);
    expectNoInfinityOrNan(porePage);
    int rows = 0;
    for (const DrawText* t : porePage.texts()) rows += t->x == 135 && t->y >= 690;
    EXPECT_EQ(rows, 10);
}

TEST(BetReportDialog, ValuesAndPlotOfTheReport) {
    const DrawList values = betReportValues(threePointReport(), 4);
    EXPECT_EQ(textAt(values, "5").x, 440);
    EXPECT_EQ(textAt(values, "5").y, 20);
    EXPECT_EQ(textAt(values, "0.116401").y, 89);
    EXPECT_EQ(textAt(values, "0.002936").y, 112);
    EXPECT_EQ(textAt(values, "0.999641").y, 135);
    EXPECT_EQ(textAt(values, "36.54 m2/g").y, 158);
    // Labels of 1.2 × the largest point: 0.354058 and 0.046073.
    EXPECT_EQ(textAt(values, "0.354").x, 65 + 250);
    EXPECT_EQ(textAt(values, "0.354").y, 277);
    EXPECT_EQ(textAt(values, "0.04607").y, 12);
    EXPECT_EQ(textAt(values, "0.04607").x, 20);
    int squares = 0;
    for (const DrawItem& item : values.items) {
        if (const auto* f = std::get_if<DrawFrame>(&item)) {
            ++squares;
            EXPECT_EQ(f->box.right - f->box.left, 10);
            EXPECT_EQ(f->clip, kBetReportPlot);
        }
    }
    EXPECT_EQ(squares, 3);
    // The artwork names every value the program draws.
    const DrawList art = betReportArtwork();
    for (const char* caption : {"报告编号：", "斜    率：", "截    距：", "相关系数：", "比表面积：", "样品重量[mg]：",
                                "样品名称："}) {
        EXPECT_NE(art.findText(caption), nullptr) << caption;
    }
}

// ---- Lists ------------------------------------------------------------------------------

TEST(BetList, ColumnsRowsAndSelection) {
    auto db = std::make_unique<RecordDatabase>();
    ReportTable& t = db->reports();
    t.count = 3;
    t.records[0] = threePointReport();
    t.records[1] = threePointReport();
    t.records[1].number = 6;
    t.records[1].selected = -1;
    t.records[2].in_use = 0;
    const DrawList list = betListDrawing(t, 700, 300, 0, 0);
    for (const char* title : {"编号", "名称", "重量", "BET比表面积 [m2/g]", "送样单位"}) {
        EXPECT_NE(list.findText(title), nullptr) << title;
    }
    std::vector<int32_t> separators;
    for (const DrawItem& item : list.items) {
        if (const auto* l = std::get_if<DrawLine>(&item); l && l->from.x == l->to.x) separators.push_back(l->from.x);
    }
    EXPECT_EQ(separators, (std::vector<int32_t>{60, 190, 290, 420, 590}));
    const auto* rule = std::get_if<DrawLine>(&list.items[0]);
    EXPECT_EQ(rule->to.x, 720);  // at least 720 wide
    const DrawText& first = textAt(list, "5");
    EXPECT_EQ(first.x, 50);
    EXPECT_EQ(first.y, 35);
    EXPECT_EQ(first.h, HAlign::Right);
    EXPECT_EQ(first.colour, kBlack);
    const DrawText& second = textAt(list, "6");
    EXPECT_EQ(second.y, 55);
    EXPECT_EQ(second.colour, kSelectedRowColour);
    EXPECT_EQ(textAt(list, "36.535").x, 355);
    EXPECT_EQ(textAt(list, "100.0").x, 240);
    EXPECT_EQ(textAt(list, "化工所").x, 505);
    EXPECT_EQ(list.texts().size(), 5u + 10u);  // the unused slot's row is blank

    // Scrolled by one row.
    EXPECT_EQ(textAt(betListDrawing(t, 700, 300, 1, 0), "6").y, 35);
}

TEST(BetList, DoubleClickFindsTheReport) {
    auto db = std::make_unique<RecordDatabase>();
    db->reports().count = 4;
    EXPECT_EQ(betRowAtDoubleClick(db->reports(), 124, 100, 400, 0), -1);
    EXPECT_EQ(betRowAtDoubleClick(db->reports(), 125, 100, 400, 0), 0);
    EXPECT_EQ(betRowAtDoubleClick(db->reports(), 185, 100, 400, 0), 3);
    EXPECT_EQ(betRowAtDoubleClick(db->reports(), 205, 100, 400, 0), -1);  // no fifth report
    EXPECT_EQ(betRowAtDoubleClick(db->reports(), 125, 100, 400, 2), 2);
}

TEST(StandardList, ZeroWidthColumnIsLeftOutAndTheOthersCloseUp) {
    auto db = std::make_unique<RecordDatabase>();
    StandardTable& t = db->standards();
    t.count = 1;
    StandardRecord& s = t.records[0];
    s.in_use = 1;
    s.number = 12;
    writeGbkField(s.name, "标样");
    s.weight_mg = 50.5f;
    s.surface_area = 99.25f;
    s.peak_area = 20000;
    s.measured_year = 2024;
    s.measured_month = 3;
    s.measured_day = 9;
    const int32_t widths[7] = {470, 70, 70, 100, 100, 0, 130};
    const DrawList list = standardListDrawing(t, widths, 1024, 200, 0, 0);
    EXPECT_EQ(list.findText("峰面积"), nullptr);
    EXPECT_EQ(list.findText("20000"), nullptr);
    std::vector<int32_t> separators;
    for (const DrawItem& item : list.items) {
        if (const auto* l = std::get_if<DrawLine>(&item); l && l->from.x == l->to.x) separators.push_back(l->from.x);
    }
    EXPECT_EQ(separators, (std::vector<int32_t>{70, 140, 240, 340}));  // 470 is the total: no line there
    EXPECT_EQ(textAt(list, "测量日期").x, 405);
    EXPECT_EQ(textAt(list, "12").x, 60);
    EXPECT_EQ(textAt(list, "50.500").x, 230);
    EXPECT_EQ(textAt(list, "99.2500").x, 330);
    EXPECT_EQ(textAt(list, "2024年 3月 9日").x, 460);
    EXPECT_EQ(std::get_if<DrawLine>(&list.items[0])->to.x, 1024);
}

TEST(SampleList, TwelveColumnsOfTheExport) {
    auto db = std::make_unique<RecordDatabase>();
    SampleTable& t = db->samples();
    t.count = 2;
    t.records[1].in_use = 1;
    t.records[1].serial = 8;
    t.records[1].surface_area = 25.0f;
    t.records[1].selected = 1;
    int32_t widths[13] = {1450, 150, 200, 100, 80, 80, 140, 140, 80, 120, 80, 130, 150};
    const DrawList list = sampleListDrawing(t, widths, 1024, 300, 0, 0);
    const DrawText* areaTitle = list.findText("比表面积 [m2/g]");
    ASSERT_NE(areaTitle, nullptr);
    // The title is kept inside its 80-pixel column (450..530), off its neighbours.
    EXPECT_EQ(areaTitle->clip, (DrawBox{451, 0, 530, kBetListHeaderHeight}));
    const DrawText& serial = textAt(list, "8");
    EXPECT_EQ(serial.y, 55);  // the first slot is not in use: its row stays blank
    EXPECT_EQ(serial.colour, kSelectedRowColour);
    EXPECT_EQ(textAt(list, "25.000").x, 520);
    // Scrolled sideways by 100 pixels.
    EXPECT_EQ(textAt(sampleListDrawing(t, widths, 1024, 300, 0, 100), "25.000").x, 420);
}

}  // namespace
}  // namespace vespian
