// vespian-report's evaluations for scripts: --evaluate on a report and a trace file, --kinetics
// over four synthetic heating rates, --bet-auto on a database's report; the JSON read back.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/bet.h"
#include "analysis/desorption_kinetics.h"
#include "analysis/kissinger.h"
#include "app/report_options.h"
#include "files/record_database.h"
#include "files/test_report.h"
#include "files/test_report_file.h"
#include "platform/gbk_text.h"
#include "support/bet_isotherm.h"
#include "tests/app/report_tool_run.h"
#include "trace/chromatogram.h"
#include "trace/trace_file.h"

namespace vespian {
namespace {

using nlohmann::json;
using testing::runTool;
using testing::TestFolder;
using testing::ToolRun;

bool hasCode(const json& flags, const std::string& code) {
    for (const json& f : flags) {
        if (f.at("code") == code) return true;
    }
    return false;
}

void saveTrace(const std::string& path, const std::vector<float>& signal, const std::vector<float>& temperature) {
    auto trace = std::make_unique<Chromatogram>();
    trace->replace(signal.data(), temperature.data(), static_cast<int32_t>(signal.size()));
    ASSERT_TRUE(saveTraceFile(path, *trace).ok);
}

TEST(ReportToolEvaluate, AReportGivesPeaksAmountsWithUncertaintyAndACutPeakIsFlagged) {
    TestFolder folder{"report-tool-evaluate"};
    // Two Gaussian peaks of 2 mV, σ = 40 points (area 200.5 each) on a level of 0.3 mV with
    // 0.02 mV noise, 50 → 650 ℃; the quantitative pulse 1000 mV×points of a 0.5 ml loop.
    constexpr int kPoints = 1200;
    std::mt19937 random(4);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    writeGbkField(h.sampleName, "氧化铝");
    h.sampleWeightG = 0.1f;
    h.upperTempC = 700.0f;
    h.rampRateCPerMin = 10.0f;
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.reportPointCount = kPoints - 1;
    for (int i = 0; i < kPoints; ++i) {
        double s = 0.3;
        for (double centre : {400.0, 800.0}) s += 2.0 * std::exp(-0.5 * std::pow((i - centre) / 40.0, 2));
        report->signalMv()[i] = static_cast<float>(s) + noise(random);
        report->temperatureC()[i] = 50.0f + 0.5f * static_cast<float>(i);
    }
    const std::string care = folder.file("tpd.care");
    ASSERT_TRUE(writeReportFile(care, *report).ok);

    const ToolRun run = runTool({"--evaluate", care});
    ASSERT_EQ(run.code, kReportOk) << run.err;
    const json j = json::parse(run.out);
    EXPECT_EQ(j.at("kind"), "report");
    ASSERT_EQ(j.at("peaks").size(), 2u) << run.out;
    // 101.325 kPa × 0.5 ml at 25 ℃: 20.44 µmol a full pulse.
    const double expected = 200.5 / 1000.0 * 20.438;
    for (const json& peak : j.at("peaks")) {
        const json& amount = peak.at("amount").at("umol");
        EXPECT_NEAR(amount.at("value").get<double>(), expected, 0.03 * expected);
        EXPECT_GT(amount.at("u").get<double>(), 0.0);
        EXPECT_DOUBLE_EQ(amount.at("expanded_u").get<double>(), 2.0 * amount.at("u").get<double>());
        EXPECT_GT(peak.at("amount").at("umol_per_g").at("value").get<double>(), 0.0);
    }
    EXPECT_EQ(j.at("tm_proposals").size(), 2u);
    EXPECT_FALSE(j.at("deconvolution").at("chosen_shape").is_null());
    ASSERT_EQ(j.at("deconvolution").at("components").size(), 2u);
    EXPECT_GT(j.at("deconvolution").at("components")[0].at("temperature_C").at("u").get<double>(), 0.0);
    EXPECT_FALSE(hasCode(j.at("flags"), "peak_cut_at_end")) << run.out;
    EXPECT_FALSE(hasCode(j.at("flags"), "tm_outside_programme")) << run.out;

    // A trace whose peak runs past its end, and a programme that ended below the trace's Tm.
    std::vector<float> signal(600), temperature(600);
    for (int i = 0; i < 600; ++i) {
        signal[i] = static_cast<float>(2.0 * std::exp(-0.5 * std::pow((i - 590.0) / 40.0, 2))) + noise(random);
        temperature[i] = 50.0f + 0.5f * static_cast<float>(i);
    }
    const std::string lne = folder.file("cut.lne");
    saveTrace(lne, signal, temperature);
    const ToolRun cut = runTool({"--evaluate", lne});
    ASSERT_EQ(cut.code, kReportOk) << cut.err;
    const json c = json::parse(cut.out);
    EXPECT_EQ(c.at("kind"), "trace");
    EXPECT_TRUE(hasCode(c.at("flags"), "peak_cut_at_end")) << cut.out;
    EXPECT_TRUE(c.at("peaks").empty() || c.at("peaks")[0].at("amount").at("umol").is_null());

    // Refused: a file of another kind, a missing uncertainty file.
    EXPECT_EQ(runTool({"--evaluate", folder.file("missing.lne")}).code, kReportInputRefused);
    EXPECT_EQ(runTool({"--evaluate", care, "--uncertainties", folder.file("none.ini")}).code, kReportInputRefused);
    EXPECT_EQ(runTool({"--evaluate", care, "--uncertainties", folder.path().string()}).code, kReportInputRefused);
    EXPECT_EQ(runTool({"--evaluate", care, lne}).code, kReportUsage);
}

TEST(ReportToolEvaluate, TheReportSummaryJsonCarriesUncertaintiesAndFlags) {
    // A titration whose numbers give 4062 % dispersion: flagged, with its u beside it.
    TestFolder folder{"report-tool-summary-u"};
    auto report = std::make_unique<TestReport>();
    TestReportHeader& h = report->header();
    h.sampleWeightG = 0.1f;
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.pulseCount = 10;
    h.residualArea = 3000.0f;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.08f;
    h.massFraction = 0.005f;
    h.crossSectionNm2 = 0.089f;
    h.reportPointCount = 20;
    const std::string care = folder.file("pt.care");
    ASSERT_TRUE(writeReportFile(care, *report).ok);
    const ToolRun run = runTool({care, "--json"});
    ASSERT_EQ(run.code, kReportOk) << run.err;
    const json j = json::parse(run.out);
    EXPECT_GT(j.at("dispersion_u").get<double>(), 0.0);
    EXPECT_LT(j.at("dispersion_u").get<double>(), 0.05 * j.at("dispersion").get<double>());
    EXPECT_GT(j.at("adsorbed_volume_ml_u").get<double>(), 0.0);
    EXPECT_TRUE(hasCode(j.at("flags"), "dispersion_above_100")) << run.out;
}

TEST(ReportToolEvaluate, KineticsOverFourHeatingRatesGivesEaBackWithItsInterval) {
    TestFolder folder{"report-tool-kinetics"};
    std::vector<std::string> args = {"--kinetics"};
    std::mt19937 random(8);
    std::normal_distribution<float> detector(0.0f, 0.02f);
    for (double rate : {10.0, 15.0, 20.0, 30.0}) {
        const double tm = firstOrderPeakTemperatureK(rate, 150e3, 1e13) - 273.15;
        constexpr int kPoints = 6000;
        std::vector<float> t(kPoints);
        for (int i = 0; i < kPoints; ++i) t[i] = static_cast<float>(tm - 120.0 + rate / 300.0 * i);
        std::vector<float> s = polanyiWignerSignal(t, 0.2, 150.0, 1e13, 1.0, 3000.0);
        for (float& v : s) v += detector(random);
        const std::string path = folder.file("run" + std::to_string(static_cast<int>(rate)) + ".lne");
        saveTrace(path, s, t);
        args.push_back(path);
    }
    const ToolRun run = runTool(args);
    ASSERT_EQ(run.code, kReportOk) << run.err;
    const json j = json::parse(run.out);
    EXPECT_EQ(j.at("status"), "ok") << run.out;
    const json& ea = j.at("energy_kJ_per_mol");
    EXPECT_NEAR(ea.at("value").get<double>(), 150.0, 1.5);
    EXPECT_GT(ea.at("u").get<double>(), 0.0);
    EXPECT_LT(ea.at("interval_95")[0].get<double>(), ea.at("value").get<double>());
    EXPECT_GT(ea.at("interval_95")[1].get<double>(), ea.at("value").get<double>());
    EXPECT_NEAR(std::log10(j.at("frequency_per_s").at("value").get<double>()), 13.0, std::log10(1.5));
    ASSERT_EQ(j.at("runs").size(), 4u);
    EXPECT_NEAR(j.at("runs")[0].at("heating_rate_C_per_min").get<double>(), 10.0, 0.2);
    EXPECT_NEAR(j.at("runs")[3].at("heating_rate_C_per_min").get<double>(), 30.0, 0.5);
    EXPECT_DOUBLE_EQ(j.at("runs")[0].at("redhead").at("assumed_frequency_per_s").get<double>(), 1e13);
    EXPECT_NEAR(j.at("runs")[0].at("redhead").at("energy_kJ_per_mol").get<double>(), 150.0, 5.0);
    EXPECT_EQ(runTool({"--kinetics"}).code, kReportUsage);
}

// The seven-point record as committed to a database: its number and in use.
SurfaceReportRecord betRecord() {
    SurfaceReportRecord r = testing::betIsothermRecord();
    r.number = 12;
    r.in_use = 1;
    return r;
}

TEST(ReportToolEvaluate, BetAutoProposesTheIsothermsRangeAndTablesEveryRange) {
    TestFolder folder{"report-tool-bet-auto"};
    auto db = std::make_unique<RecordDatabase>();
    db->reports().records[0] = betRecord();
    db->reports().count = 1;
    const std::string file = folder.file("lab.03D");
    ASSERT_TRUE(saveDatabase(file, *db).ok);

    const ToolRun run = runTool({"--bet-auto", file, "12"});
    ASSERT_EQ(run.code, kReportOk) << run.err;
    const json j = json::parse(run.out);
    ASSERT_FALSE(j.at("proposed").is_null()) << run.out;
    EXPECT_EQ(j.at("proposed").at("points"), json({1, 2, 3, 4, 5, 6}));
    EXPECT_NEAR(j.at("proposed").at("c").at("value").get<double>(), 100.0, 2.0);
    EXPECT_NEAR(j.at("proposed").at("area_m2_g").at("value").get<double>(), 87.2, 0.02 * 87.2);
    EXPECT_GT(j.at("proposed").at("area_m2_g").at("u").get<double>(), 0.0);
    EXPECT_GT(j.at("written_area_m2_g").at("u").get<double>(), 0.0);
    // Every run of at least three neighbours among seven: 5 + 4 + 3 + 2 + 1.
    ASSERT_EQ(j.at("ranges").size(), 15u);
    int failing = 0;
    for (const json& range : j.at("ranges")) {
        if (!range.at("passes").get<bool>()) {
            ++failing;
            EXPECT_NE(range.at("reasons"), "通过");
        }
    }
    EXPECT_GT(failing, 0);
    EXPECT_FALSE(hasCode(j.at("flags"), "bet_criteria_failed")) << run.out;

    EXPECT_EQ(runTool({"--bet-auto", file, "13"}).code, kReportInputRefused);
    EXPECT_EQ(runTool({"--bet-auto", file, "twelve"}).code, kReportUsage);
}

}  // namespace
}  // namespace vespian
