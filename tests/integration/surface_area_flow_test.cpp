// A multi-point BET measurement through the core units, from the peaks handed over by the
// display tick to the report in a reloaded database: calibration → three points → report →
// database saved → loaded into a fresh program state → the same report in the BET list and
// on its page. The peaks are put into the peak table here as the recogniser would leave them;
// the run on the simulated analyser with live peak recognition joins this once the recogniser
// is wired into the display tick.

#include <gtest/gtest.h>

#include <memory>

#include "analysis/bet.h"
#include "analysis/bet_list.h"
#include "analysis/bet_page.h"
#include "files/record_database_commands.h"
#include "platform/gbk_text.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"
#include "analysis/calibration.h"
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
    ASSERT_TRUE(session.commit(sample, defaults).committed);
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

}  // namespace
}  // namespace vespian
