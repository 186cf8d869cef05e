#include "analysis/tp_report_page.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/desorption_test_page.h"
#include "analysis/titration.h"
#include "analysis/titration_page.h"
#include "analysis/tp_report.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"

namespace vespian {
namespace {

// A page of 730 × 1032 device pixels: one pixel a page unit.
constexpr int32_t kW = 730;
constexpr int32_t kH = 1032;

// 1001 points (200 s), signal 0 .. 3 mV, temperature 100 + i.
std::unique_ptr<TestReport> tpdReport() {
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    writeGbkField(h.sampleName, "CuO/SiO2");
    writeGbkField(h.tester, "王五");
    writeGbkField(h.heading, "程序升温还原\r\n第二行");
    h.sampleWeightG = 0.25f;
    h.upperTempC = 800.0f;
    h.rampRateCPerMin = 10.0f;
    h.testDate = {2024, 5, 17};
    h.reportPointCount = 1000;
    for (int i = 0; i <= 1000; ++i) {
        report->signalMv()[i] = 3.0f * static_cast<float>(i) / 999.0f;
        report->temperatureC()[i] = 100.0f + static_cast<float>(i);
    }
    report->signalMv()[999] = 3.0f;
    h.tmCount = 2;
    h.tmValues[0] = 412.0f;
    h.tmIndices[0] = 312;
    h.tmValues[1] = 530.0f;
    h.tmIndices[1] = 430;
    return report;
}

std::vector<std::string> textsOf(const DrawList& page) {
    std::vector<std::string> out;
    for (const DrawText* t : page.texts()) out.push_back(t->text);
    return out;
}

bool hasText(const DrawList& page, const std::string& text) { return page.findText(text) != nullptr; }

TEST(TpReportPage, HeaderDataBlockAndTmList) {
    auto report = tpdReport();
    const ReportLetterhead letterhead{"某某仪器服务部", "www.example.cn", "400-000-0000", "service@example.cn"};
    const std::vector<DrawList> pages = tpReportPages(*report, letterhead, kW, kH);
    ASSERT_EQ(pages.size(), 1u);
    const DrawList& page = pages[0];
    for (const char* text : {"程序升温还原", "第二行", "CXM-2600化学分析仪数据报告", "某某仪器服务部", "www.example.cn",
                             "样品名称：CuO/SiO2", "样品重量[g]：0.2500", "上限温度[℃]：800", "检测员：王五",
                             "升温速率[℃/分]：10", "检测日期：2024-5-17", "Tm值：", "  412 ℃", "  530 ℃",
                             "服务热线：400-000-0000", "电子邮件：service@example.cn", "[mV]", "[℃]", "[秒]"}) {
        EXPECT_TRUE(hasText(page, text)) << text;
    }
    EXPECT_EQ(page.findText("样品名称：CuO/SiO2")->y, 600);
    EXPECT_EQ(page.findText("样品重量[g]：0.2500")->x, 380);
    EXPECT_EQ(page.findText("升温速率[℃/分]：10")->y, 650);
    EXPECT_EQ(page.findText("Tm值：")->y, 700);
    EXPECT_EQ(page.findText("  412 ℃")->x, 150);
    EXPECT_EQ(page.findText("  412 ℃")->y, 725);
    EXPECT_EQ(page.findText("  530 ℃")->y, 750);
    EXPECT_EQ(page.findText("  412 ℃")->pixelSize, 16);
    EXPECT_EQ(page.findText("www.example.cn")->face, FontFace::Hei);
    EXPECT_EQ(page.findText("某某仪器服务部")->x, 602);
    EXPECT_EQ(page.findText("服务热线：400-000-0000")->y, 955);
}

TEST(TpReportPage, AxesWithThePrintMargins) {
    auto report = tpdReport();
    const DrawList page = tpReportPages(*report, ReportLetterhead{}, kW, kH)[0];
    // Signal 0 .. 3 mV: −0.2 below, +0.6 above, range 3.8; labels at 500 − 36 k.
    const DrawText* bottom = page.findText("-0.200");
    ASSERT_NE(bottom, nullptr);
    EXPECT_EQ(bottom->y, 500);
    EXPECT_EQ(bottom->h, HAlign::Right);
    EXPECT_EQ(page.findText("1.700")->y, 320);
    EXPECT_EQ(page.findText("3.600")->y, 140);
    // Temperature on the right, 0 .. 1200 ℃ in steps of 120.
    EXPECT_EQ(page.findText("1200")->y, 140);
    EXPECT_EQ(page.findText("1200")->x, 657);
    EXPECT_EQ(page.findText("360")->y, 392);
    // 1000 points = 200 s: the bottom labels every 20 s at 100 + 55 k.
    EXPECT_EQ(page.findText("20")->x, 155);
    EXPECT_EQ(page.findText("200")->x, 650);
    // Nothing of an empty letterhead is printed.
    for (const std::string& text : textsOf(page)) {
        EXPECT_EQ(text.find("服务热线"), std::string::npos);
        EXPECT_EQ(text.find("电子邮件"), std::string::npos);
    }
}

TEST(TpReportPage, CurvesAndTmMarksSitOnTheChart) {
    auto report = tpdReport();
    const DrawList page = tpReportPages(*report, ReportLetterhead{}, kW, kH)[0];
    const DrawPolyline* signal = nullptr;
    const DrawPolyline* temperature = nullptr;
    for (const DrawItem& item : page.items) {
        if (const auto* p = std::get_if<DrawPolyline>(&item)) {
            if (p->colour == kSignalColour && p->points.size() > 10) signal = p;
            if (p->colour == kTemperatureColour) temperature = p;
        }
    }
    ASSERT_NE(signal, nullptr);
    ASSERT_NE(temperature, nullptr);
    // Point 0: x 100, signal 0 at 500 − trunc(0.2 / 3.8 × 360) = 482; temperature 100 ℃ at
    // 500 − trunc(100 / 1200 × 360) = 470.
    EXPECT_EQ(signal->points.front(), (DrawPoint{100, 482}));
    EXPECT_EQ(temperature->points.front(), (DrawPoint{100, 470}));
    for (const DrawPoint& p : signal->points) {
        EXPECT_GE(p.x, 100);
        EXPECT_LT(p.x, 650);
        EXPECT_GE(p.y, 140);
        EXPECT_LE(p.y, 500);
    }
    // Tm at point 312: x = 100 + trunc(312 / 5 / 200 × 550) = 271.
    const DrawText* tm = page.findText("412");
    ASSERT_NE(tm, nullptr);
    EXPECT_EQ(tm->x, 271);
    EXPECT_EQ(tm->colour, kTmColour);
}

TEST(TpReportPage, ALongTmListGoesIntoColumnsAndOnToASecondPage) {
    auto report = tpdReport();
    TestReportHeader& h = report->header();
    h.tmCount = 9;
    for (int k = 0; k < 99; ++k) {
        h.tmValues[k] = 100.0f + static_cast<float>(k);
        h.tmIndices[k] = k;
    }
    std::vector<DrawList> pages = tpReportPages(*report, ReportLetterhead{}, kW, kH);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].findText("  108 ℃")->y, 925);  // nine in one column
    EXPECT_EQ(pages[0].findText("  108 ℃")->x, 150);

    h.tmCount = 99;
    pages = tpReportPages(*report, ReportLetterhead{}, kW, kH);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].findText("  109 ℃")->x, 250);  // the tenth opens the second column
    EXPECT_EQ(pages[0].findText("  109 ℃")->y, 725);
    EXPECT_NE(pages[0].findText("  144 ℃"), nullptr);  // 45 on the first page
    EXPECT_EQ(pages[0].findText("  145 ℃"), nullptr);
    EXPECT_EQ(pages[1].findText("  145 ℃")->y, 165);
    EXPECT_NE(pages[1].findText("  198 ℃"), nullptr);
    EXPECT_TRUE(hasText(pages[1], "Tm值："));
    EXPECT_TRUE(hasText(pages[1], "CXM-2600化学分析仪数据报告"));
}

TEST(TpReportPage, AFlatOrEmptyTraceGivesFinitePositions) {
    auto report = tpdReport();
    for (int i = 0; i <= 1000; ++i) report->signalMv()[i] = 1.0f;
    DrawList page = tpReportPages(*report, ReportLetterhead{}, kW, kH)[0];
    EXPECT_TRUE(hasText(page, "1.000"));  // every label is the level itself
    for (const DrawItem& item : page.items) {
        if (const auto* p = std::get_if<DrawPolyline>(&item); p != nullptr && p->colour == kSignalColour) {
            for (const DrawPoint& point : p->points) EXPECT_LE(point.y, 500);
        }
    }
    report->header().reportPointCount = 0;
    report->header().tmCount = 0;
    page = tpReportPages(*report, ReportLetterhead{}, kW, kH)[0];
    EXPECT_TRUE(hasText(page, "0.000"));
    EXPECT_TRUE(hasText(page, "样品名称：CuO/SiO2"));
}

TEST(TpReportPage, ScaledToThePrintersPixels) {
    auto report = tpdReport();
    const DrawList page = tpReportPages(*report, ReportLetterhead{}, 4 * kW, 4 * kH)[0];
    EXPECT_EQ(page.findText("样品名称：CuO/SiO2")->y, 2400);
    EXPECT_EQ(page.findText("样品名称：CuO/SiO2")->pixelSize, 64);
}

TEST(TitrationReportPage, TheDataBlockInTwoColumns) {
    auto report = tpdReport();
    TestReportHeader& h = report->header();
    h.sampleWeightG = 1.0f;
    h.titrationTempC = 50.0f;
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.pulseCount = 6;
    h.residualArea = 2000.0f;
    h.residualVolumeMl = 1.0f;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.08f;
    h.massFraction = 0.01f;
    h.crossSectionNm2 = 0.089f;
    computeTitration(h);
    DrawList page = titrationReportPage(*report, ReportLetterhead{}, kW, kH);
    for (const char* text : {"样品名称：CuO/SiO2", "样品重量[g]：1.0000", "检测员：王五", "检测日期：2024-5-17",
                             "滴定温度[℃]：50", "脱附量：2.000", "脉冲峰面积：1000", "化学计量系数：0.666700",
                             "脉冲峰体积[ml]：0.500", "原子质量[g/ml]：195.080", "脉冲峰数量：6", "质量分数：0.0100",
                             "剩余峰面积：2000", "原子截面积[nm2]：0.0890", "剩余体积[ml]：1.000",
                             "吸附体积[ml]：2.000", "[mV]", "[秒]"}) {
        EXPECT_TRUE(hasText(page, text)) << text;
    }
    EXPECT_FALSE(hasText(page, "[℃]"));  // the signal alone
    EXPECT_FALSE(hasText(page, "Tm值："));
    EXPECT_EQ(page.findText("原子质量[g/ml]：195.080")->x, 380);
    EXPECT_EQ(page.findText("脉冲峰体积[ml]：0.500")->y, 725);

    h.sampleWeightG = 0.0f;
    computeTitration(h);
    page = titrationReportPage(*report, ReportLetterhead{}, kW, kH);
    EXPECT_TRUE(hasText(page, "金属分散度：—"));
    EXPECT_TRUE(hasText(page, "活性比表面积[m2/g]：—"));
    EXPECT_TRUE(hasText(page, "脱附量：—"));
}

TEST(DesorptionReportPage, TheResultsBlock) {
    auto report = tpdReport();
    TestReportHeader& h = report->header();
    h.pulseVolumeMl = 0.5f;
    h.pulseArea = 1000.0f;
    h.residualArea = 3000.0f;
    h.residualVolumeMl = 1.5f;
    h.titrationTempC = 350.0f;
    const DrawList page = desorptionReportPage(*report, ReportLetterhead{}, kW, kH);
    for (const char* text : {"脱附温度[℃]：350", "脱附量：6.000", "脉冲峰面积：1000", "脱附峰面积：3000",
                             "脉冲峰体积[ml]：0.500", "脱附总量[ml]：1.500", "脱附量[ml/g]：6.000"}) {
        EXPECT_TRUE(hasText(page, text)) << text;
    }
}

}  // namespace
}  // namespace vespian
