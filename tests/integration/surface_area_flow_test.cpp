// A multi-point BET measurement through the core units, from the peaks handed over by the
// display tick to the report in a reloaded database: calibration → three points → report →
// database saved → loaded into a fresh program state → the same report in the BET list and
// on its page. Once with the peaks put into the peak table as the recogniser leaves them, for
// the worked numbers; once on the simulated analyser, its peaks recognised live by the display
// tick with the recogniser's default settings, the commands going through the measurement
// state as the window gives them.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "analysis/bet.h"
#include "analysis/bet_list.h"
#include "analysis/bet_page.h"
#include "analysis/calibration.h"
#include "app/command_ids.h"
#include "app/display_tick.h"
#include "app/measurement_state.h"
#include "files/record_database_commands.h"
#include "link/link_watchdog.h"
#include "platform/gbk_text.h"
#include "sim/stream_reader.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "support/trace_views.h"
#include "trace/peak_hand_over.h"
#include "trace/peak_table.h"

namespace vespian {
namespace {

void handOver(PeakTable& peaks, int32_t area) {
    peaks.count = 1;
    peaks.records[0].area = area;
}

TEST(SurfaceAreaFlow, CalibrationPointsReportSaveReloadList) {
    testing::TestFolder folder("surface_area_flow");
    testing::ScriptedPrompts prompts;
    auto db = std::make_unique<RecordDatabase>();
    auto peaks = std::make_unique<PeakTable>();
    BetCalibrationDefaults defaults;
    BetRawVolumes raw;

    // Three points, each calibrated first (loop 3 ml, calibration peak 30000), at N2 fractions
    // 0.1, 0.2 and 0.3 of 50 ml/min.
    const int32_t adsorption[3] = {8000, 10000, 11500};
    for (int k = 0; k < 3; ++k) {
        handOver(*peaks, 30000);
        ASSERT_TRUE(openCalibration(db->reports(), peaks->records[0].area, defaults).open);
        const std::string n2 = std::to_string(5 * (k + 1));
        const std::string he = std::to_string(50 - 5 * (k + 1));
        ASSERT_TRUE(acceptCalibration(db->reports(), *peaks, 30000, {"3", n2, he, "103", "15", "101.3"}).close);
        EXPECT_EQ(peaks->count, 0);

        handOver(*peaks, adsorption[k]);
        ASSERT_TRUE(acceptBetPeak(db->reports()).openPointDialog);
        beginBetPoint(db->reports(), peaks->records[0].area);
        const bool report = closeBetPoint(db->reports(), *peaks, k < 2 ? BetPointClose::Continue : BetPointClose::Finish);
        EXPECT_EQ(report, k == 2);
    }

    SampleIdentity sample;
    sample.weightMg = 100.0f;
    sample.name = gbkFromUtf8("氧化铝");
    sample.sendingCompany = gbkFromUtf8("化工所");
    BetReportSession session(db->reports(), raw);
    ASSERT_TRUE(session.open(sample));
    ASSERT_TRUE(session.commit(sample, defaults, CalendarDate{2024, 5, 6}).committed);
    ASSERT_EQ(db->reports().count, 1);
    const SurfaceReportRecord committed = db->reports().records[0];
    // The worked numbers of the three-point example: 36.535 m²/g.
    EXPECT_NEAR(committed.bet_area, 36.5354, 1e-3);

    // Saved at exit into a file of the operator's choice, and remembered.
    DatabaseName name = noDatabase(folder.path().string());
    const std::string settings = folder.file(kDatabaseSettingsFileName);
    prompts.chooseFile(folder.file("lab"));
    DatabaseSession exiting{*db, name, folder.path().string(), settings, prompts, {}};
    ASSERT_EQ(saveAtExit(exiting), LeaveDecision::Proceed);

    // The next start: a fresh program state loads the remembered database.
    auto next = std::make_unique<RecordDatabase>();
    const DatabaseName loaded = loadStartupDatabase(*next, folder.path().string(), settings, prompts);
    ASSERT_TRUE(loaded.named());
    ASSERT_EQ(next->reports().count, 1);
    EXPECT_EQ(std::memcmp(&next->reports().records[0], &committed, sizeof committed), 0);

    const DrawList list = betListDrawing(next->reports(), 720, 300, 0, 0);
    ASSERT_NE(list.findText("36.535"), nullptr);
    EXPECT_NE(list.findText("氧化铝"), nullptr);
    EXPECT_NE(list.findText("化工所"), nullptr);
    const DrawList page = BetPage(next->reports().records[0], 1.0, 1.0);
    EXPECT_NE(page.findText("BET比表面积：36.535 [m2/g]"), nullptr);
    EXPECT_EQ(prompts.unscripted(), 0);
}

// The simulated analyser, the display tick with the program's own hand-over rules, and the
// window's measurement commands: what the running program does, without its windows. The
// operator answers each dialog the hand-over asks for as soon as the tick has returned.
class SimulatedBetRoad : public PeakHandOver {
public:
    explicit SimulatedBetRoad(RecordDatabase& db) : db_(db) {
        ticker_.setPeakHandOver(this);
        sim::testing::send(analyser_, StartStream());
        runFor(30.0);
    }

    PeakHandOverResult handOver(const PeakHandOverContext& c) override {
        PeakTickInput input;
        input.measureMode = static_cast<int32_t>(c.measureMode);
        input.analysisMethod = static_cast<int32_t>(c.analysisMethod);
        input.newPoints = c.endNew - c.firstNew;
        input.betPointRefusal = acceptBetPeak(db_.reports()).message;
        const PeakTickOutcome out = rules_.tick(input, c.trace, kFirstStartPeakSettings, *peaks_, detector_);
        PeakHandOverResult result;
        result.messages = out.messages;
        if (out.openDialog != 0) result.dialogs.push_back(out.openDialog);
        return result;
    }

    // A command of the window: its effects on the trace, the recogniser and the instrument.
    void command(int32_t id) {
        for (const WindowEffect& e : measurement_.apply(id)) {
            if (e.kind == EffectKind::AddLastPointToZeroOffset) trace().zeroSignal();
            if (e.kind == EffectKind::RestartPeakRecognition) rules_.restart(*peaks_, detector_);
            if (e.kind == EffectKind::SendCommand) sim::testing::send(analyser_, e.command);
        }
    }
    void injector(InjectorOperation operation) {
        InjectorPositions first;
        first.position[0] = true;
        sim::testing::send(analyser_, InjectorCommand(operation, first));
    }

    // Runs the instrument for up to `seconds`, ten points a display tick (the simulator at 50×),
    // until the hand-over asks for a dialog or tells something; returns the dialog (0: none).
    int32_t runFor(double seconds) {
        const long periods = sim::testing::periodsFor(seconds);
        for (long i = 0; i < periods; i += kPeriodsPerTick) {
            sim::testing::run(analyser_, kPeriodsPerTick, &reader_);
            DisplayTickInput input;
            input.measureMode = measurement_.measureMode();
            input.analysisMethod = measurement_.analysisMethod();
            const DisplayTickResult r = ticker_.tick(trace(), view_, watchdog_, input);
            for (const PromptMessage& m : r.peaks.messages) told.push_back(m.text);
            if (!r.peaks.messages.empty()) return 0;
            if (!r.peaks.dialogs.empty()) return r.peaks.dialogs.front();
        }
        return 0;
    }

    PeakTable& peaks() { return *peaks_; }
    std::vector<std::string> told;

private:
    static constexpr long kPeriodsPerTick = 10;
    Chromatogram& trace() { return reader_.chromatogram; }

    RecordDatabase& db_;
    sim::SimulatedAnalyser analyser_{3};
    sim::testing::StreamReader reader_;
    TraceView view_ = testing::viewWithPlot(600, 400);
    LinkWatchdog watchdog_;
    DisplayTick ticker_;
    MeasurementState measurement_{AnalysisMethod::Bet};
    PeakHandOverRules rules_;
    PeakDetector detector_;
    std::unique_ptr<PeakTable> peaks_ = std::make_unique<PeakTable>();
};

TEST(SurfaceAreaFlow, OnTheSimulatorWithTheRecognisersDefaultSettings) {
    auto db = std::make_unique<RecordDatabase>();
    auto road = std::make_unique<SimulatedBetRoad>(*db);
    const BetCalibrationDefaults defaults;
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        // "标定吸附量": the loop's peak opens the calibration dialog, the operator enters the
        // flows of this point and confirms.
        road->command(kCmdCalibration);
        ASSERT_EQ(road->runFor(600.0), kCalibrationDialogTemplate) << "the calibration waits for ever";
        const int32_t calibrationArea = road->peaks().records[0].area;
        ASSERT_TRUE(openCalibration(db->reports(), calibrationArea, defaults).open);
        const std::string n2 = std::to_string(5 * (k + 1));
        const std::string he = std::to_string(50 - 5 * (k + 1));
        ASSERT_TRUE(acceptCalibration(db->reports(), road->peaks(), calibrationArea, {"3", n2, he, "103", "15", "101.3"})
                        .close);

        // "开始测量", adsorb on injector 1, then desorb: the desorption peak is the point.
        road->command(kCmdStartMeasurement);
        road->injector(InjectorOperation::Adsorb);
        ASSERT_EQ(road->runFor(400.0), 0) << "the adsorption dip is no point";
        road->injector(InjectorOperation::Desorb);
        ASSERT_EQ(road->runFor(300.0), kBetPointDialogTemplate);
        const BetPointTexts texts = beginBetPoint(db->reports(), road->peaks().records[0].area);
        ASSERT_TRUE(texts.opened);
        closeBetPoint(db->reports(), road->peaks(), k < 2 ? BetPointClose::Continue : BetPointClose::Finish);
    }
    EXPECT_TRUE(road->told.empty());

    SampleIdentity sample;
    sample.weightMg = 100.0f;
    BetRawVolumes raw;
    BetReportSession session(db->reports(), raw);
    ASSERT_TRUE(session.open(sample));
    BetCalibrationDefaults next;
    ASSERT_TRUE(session.commit(sample, next, CalendarDate{2024, 5, 6}).committed);
    const SurfaceReportRecord committed = db->reports().records[0];
    EXPECT_EQ(committed.point_count, 3);
    EXPECT_EQ(committed.calib_count, 3);
    for (int k = 0; k < 3; ++k) {
        // Alike loops and alike desorptions, each a few per cent apart: 3 ml × 30 mV/40 mV
        // measured at every point, give or take those per cents and the baselines.
        EXPECT_NEAR(committed.calib_area[k], committed.calib_area[0], committed.calib_area[0] / 10) << k;
        EXPECT_NEAR(raw.volume[k], 2.4, 0.4) << k;
    }
    // The same adsorbed volume at growing P/Po: a BET line with a positive slope and an area of
    // some tens of m²/g for 100 mg.
    EXPECT_GT(committed.slope, 0.0f);
    EXPECT_GT(committed.bet_area, 20.0f);
    EXPECT_LT(committed.bet_area, 200.0f);

    // Kept in the database file and read back the same.
    testing::TestFolder folder("surface_area_sim");
    testing::ScriptedPrompts prompts;
    DatabaseName name = noDatabase(folder.path().string());
    const std::string settings = folder.file(kDatabaseSettingsFileName);
    prompts.chooseFile(folder.file("sim"));
    DatabaseSession exiting{*db, name, folder.path().string(), settings, prompts, {}};
    ASSERT_EQ(saveAtExit(exiting), LeaveDecision::Proceed);
    auto reloaded = std::make_unique<RecordDatabase>();
    ASSERT_TRUE(loadStartupDatabase(*reloaded, folder.path().string(), settings, prompts).named());
    EXPECT_EQ(std::memcmp(&reloaded->reports().records[0], &committed, sizeof committed), 0);
}

}  // namespace
}  // namespace vespian
