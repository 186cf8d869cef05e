#include "analysis/tp_report.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "files/test_report.h"
#include "platform/gbk_text.h"

namespace vespian {
namespace {

std::unique_ptr<TestReport> fourPointReport() {
    auto report = std::make_unique<TestReport>();
    const float signal[5] = {0.0f, 1.0f, 2.0f, 3.0f, 9.0f};  // point 4 is not drawn
    const float temperature[5] = {0.0f, 600.0f, 1200.0f, 300.0f, 50.0f};
    for (int i = 0; i < 5; ++i) {
        report->signalMv()[i] = signal[i];
        report->temperatureC()[i] = temperature[i];
    }
    report->header().reportPointCount = 4;
    return report;
}

const DrawPolyline* polylineOf(const DrawList& list, DrawColour colour) {
    for (const DrawItem& item : list.items) {
        if (const auto* p = std::get_if<DrawPolyline>(&item); p != nullptr && p->colour == colour) return p;
    }
    return nullptr;
}

TEST(TpReportFields, ShownWithTheirFormatsAndReadBack) {
    TestReportHeader h;
    writeGbkField(h.heading, "TPD 测试");
    writeGbkField(h.sampleName, "CuO");
    writeGbkField(h.tester, "王五");
    h.sampleWeightG = 0.1f;
    h.testDate = {2024, 5, 17};
    h.upperTempC = 799.6f;
    h.rampRateCPerMin = 10.0f;
    h.tmCount = 2;
    h.tmValues[0] = 412.4f;
    h.tmValues[1] = 530.5f;
    const TpReportTexts t = tpReportTexts(h);
    EXPECT_EQ(t.common.heading, "TPD 测试");
    EXPECT_EQ(t.common.weight, "0.1000");
    EXPECT_EQ(t.common.year, "2024");
    EXPECT_EQ(t.upperTemp, "800");
    EXPECT_EQ(t.rampRate, "10");
    EXPECT_EQ(t.tmLines, (std::vector<std::string>{"Tm = 412 ℃", "Tm = 530 ℃"}));  // round half to even

    TpReportTexts typed = t;
    typed.common.weight = "abc";
    typed.common.year = "2025.9";
    typed.common.month = "-3";
    typed.upperTemp = "650 ℃";
    typed.rampRate = "";
    readBackTpReport(typed, h);
    EXPECT_EQ(h.sampleWeightG, 0.0f);
    EXPECT_EQ(h.testDate.year, 2025);
    EXPECT_EQ(h.testDate.month, -3);
    EXPECT_EQ(h.upperTempC, 650.0f);
    EXPECT_EQ(h.rampRateCPerMin, 0.0f);
    EXPECT_EQ(h.tmCount, 2);  // read-back leaves the list alone
}

TEST(TpReportFields, TextsAreCutAtTheirLimitsOnAWholeCharacter) {
    TestReportHeader h;
    std::string name;
    for (int i = 0; i < 30; ++i) name += "铂";  // 60 GBK bytes
    storeSampleName(name, h);
    EXPECT_EQ(gbkLength(readGbkField(h.sampleName)), 48u);
    storeTester("abcdefghijklmnopqrstuvwxyz", h);
    EXPECT_EQ(readGbkField(h.tester), "abcdefghijklmnopqrs");
    storeHeading(std::string(300, 'x'), h);
    EXPECT_EQ(readGbkField(h.heading).size(), 199u);
    EXPECT_EQ(readWholeField("99999999999"), 2147483647);
}

TEST(TpReportChart, CurvesAndTmMarksAtTheirPixels) {
    auto report = fourPointReport();
    report->header().tmCount = 1;
    report->header().tmIndices[0] = 2;
    report->header().tmValues[0] = 555.0f;
    const DrawList chart = tpReportChart(*report);
    // Signal 0..3 with a tenth added above: range 3.3. Point 0 scaled to 380, the rest to 375.
    const DrawPolyline* signal = polylineOf(chart, kSignalColour);
    ASSERT_NE(signal, nullptr);
    const std::vector<DrawPoint> expected = {{0, 380}, {193, 267}, {387, 153}, {581, 40}};
    EXPECT_EQ(signal->points, expected);
    const DrawPolyline* temperature = polylineOf(chart, kTemperatureColour);
    ASSERT_NE(temperature, nullptr);
    const std::vector<DrawPoint> hot = {{0, 380}, {193, 190}, {387, 0}, {581, 285}};
    EXPECT_EQ(temperature->points, hot);
    // Tm at point 2: h = trunc(2 / 3.3 × 380) = 230; a tick from 150 up to 145, the label above.
    const DrawText* label = chart.findText("555");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->x, 387);
    EXPECT_EQ(label->y, 374 - 230 - 13);
    EXPECT_EQ(label->h, HAlign::Centre);
    bool tick = false;
    for (const DrawItem& item : chart.items) {
        if (const auto* l = std::get_if<DrawLine>(&item); l != nullptr && l->colour == kTmColour) {
            EXPECT_EQ(l->from, (DrawPoint{387, 150}));
            EXPECT_EQ(l->to, (DrawPoint{387, 145}));
            tick = true;
        }
    }
    EXPECT_TRUE(tick);
}

TEST(TpReportChart, AFlatSignalAndAnEmptyTraceGiveFinitePositions) {
    auto report = fourPointReport();
    for (int i = 0; i < 5; ++i) report->signalMv()[i] = 2.5f;
    const DrawList flat = tpReportChart(*report);
    const DrawPolyline* signal = polylineOf(flat, kSignalColour);
    ASSERT_NE(signal, nullptr);
    for (const DrawPoint& p : signal->points) EXPECT_EQ(p.y, 380);

    report->header().reportPointCount = 0;
    report->header().tmCount = 1;
    report->header().tmIndices[0] = 0;
    report->header().tmValues[0] = 20.0f;
    const DrawList empty = tpReportChart(*report);
    EXPECT_EQ(polylineOf(empty, kSignalColour), nullptr);
    EXPECT_EQ(polylineOf(empty, kTemperatureColour), nullptr);
    ASSERT_NE(empty.findText("20"), nullptr);
    EXPECT_EQ(empty.findText("20")->x, 0);

    // A Tm left from a longer stretch has no mark on a shorter one.
    report->header().reportPointCount = 4;
    report->header().tmIndices[0] = 500;
    EXPECT_EQ(tpReportChart(*report).findText("20"), nullptr);
}

TEST(TpReportPointer, TheIndexUnderThePointerAndItsTemperature) {
    EXPECT_EQ(chartPointIndex(0, 1000), 0);
    EXPECT_EQ(chartPointIndex(774, 1000), 998);  // trunc(774 / 775 × 1000)
    EXPECT_EQ(chartPointIndex(774, 7), 6);
    EXPECT_EQ(chartPointIndex(300, 0), 0);
    EXPECT_EQ(chartPointIndex(-5, 1000), 0);
    EXPECT_EQ(chartPointIndex(900, 1000), 998);
    auto report = fourPointReport();
    EXPECT_EQ(pointerTemperatureText(*report, 200), "温度：600 ℃");  // trunc(200 / 775 × 4) = 1
    EXPECT_EQ(pointerTemperatureText(*report, 0), "温度：0 ℃");
}

TEST(TpReportTm, PickedInOrderAtMost99) {
    auto report = fourPointReport();
    ASSERT_TRUE(pickTm(*report, 400));  // point 2
    ASSERT_TRUE(pickTm(*report, 0));
    TestReportHeader& h = report->header();
    EXPECT_EQ(h.tmCount, 2);
    EXPECT_EQ(h.tmValues[0], 1200.0f);
    EXPECT_EQ(h.tmIndices[0], 2);
    EXPECT_EQ(h.tmValues[1], 0.0f);
    EXPECT_EQ(h.tmIndices[1], 0);
    h.tmCount = 98;
    EXPECT_TRUE(pickTm(*report, 200));
    EXPECT_EQ(h.tmCount, 99);
    h.tmValues[99] = -1.0f;
    EXPECT_FALSE(pickTm(*report, 200));
    EXPECT_EQ(h.tmCount, 99);
    EXPECT_EQ(h.tmValues[99], -1.0f);  // entry 99 is never filled

    // With no trace a click picks point 0.
    report->header().reportPointCount = 0;
    h.tmCount = 0;
    EXPECT_TRUE(pickTm(*report, 500));
    EXPECT_EQ(h.tmIndices[0], 0);
}

TEST(TpReportTm, DeleteMovesTheLaterOnesUpAndClearEmptiesTheList) {
    TestReportHeader h;
    h.tmCount = 3;
    for (int k = 0; k < 3; ++k) {
        h.tmValues[k] = 100.0f * static_cast<float>(k + 1);
        h.tmIndices[k] = 10 * (k + 1);
    }
    EXPECT_FALSE(deleteTm(h, -1));
    EXPECT_FALSE(deleteTm(h, 3));
    EXPECT_EQ(h.tmCount, 3);
    EXPECT_TRUE(deleteTm(h, 1));
    EXPECT_EQ(h.tmCount, 2);
    EXPECT_EQ(h.tmValues[1], 300.0f);
    EXPECT_EQ(h.tmIndices[1], 30);
    EXPECT_TRUE(deleteTm(h, 0));
    EXPECT_TRUE(deleteTm(h, 0));
    EXPECT_EQ(h.tmCount, 0);
    EXPECT_TRUE(tpReportTexts(h).tmLines.empty());
    h.tmCount = 5;
    clearTms(h);
    EXPECT_EQ(h.tmCount, 0);
}

}  // namespace
}  // namespace vespian
