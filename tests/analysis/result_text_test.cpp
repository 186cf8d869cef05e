#include "analysis/result_text.h"

#include <gtest/gtest.h>

#include "analysis/evaluation_footer.h"
#include "analysis/stated_uncertainties.h"

namespace vespian {
namespace {

TEST(ResultText, UncertaintyKeepsTwoSignificantDigitsAndTheValueFollows) {
    struct Case {
        double value, u;
        const char* shownValue;
        const char* shownU;
    };
    const Case cases[] = {
        {12.3456, 0.0523, "12.346", "0.052"},
        {12.3456, 0.0996, "12.35", "0.10"},   // rounds up to 0.10, not 0.100
        {12345.6, 123.0, "12350", "120"},     // u of 10 or more rounds the value to tens
        {0.8, 1.5, "0.8", "1.5"},
        {-0.00004, 0.0021, "0.0000", "0.0021"},  // no "-0.0000"
        {5.0, 0.0, "5.0000", ""},             // no u: the fallback places, no ±
    };
    for (const Case& c : cases) {
        const RoundedResult r = roundToUncertainty(c.value, c.u);
        EXPECT_EQ(r.value, c.shownValue) << c.value << " ± " << c.u;
        EXPECT_EQ(r.u, c.shownU) << c.value << " ± " << c.u;
    }
}

TEST(ResultText, ResultLineWithUnitExpandedAndWithoutValue) {
    const UncertainValue v{2.4567, 0.0312, true};
    EXPECT_EQ(resultText(v, "µmol/g"), "2.457 ± 0.031 µmol/g");
    EXPECT_EQ(resultText(v, "µmol/g", true), "2.457 ± 0.062 µmol/g (k = 2)");
    EXPECT_EQ(resultText(UncertainValue{2.4567, 0.0, true}, "nm", false, 2), "2.46 nm");
    EXPECT_EQ(resultText(UncertainValue{2.0, 0.1, false}, "nm"), "—");
}

TEST(ResultText, FlagsBecomeMarkedLines) {
    const PlausibilityFlag flags[] = {{CheckCode::DispersionAboveOne, "分散度超过100%"},
                                      {CheckCode::TooFewPulses, "脉冲少于2个"}};
    EXPECT_EQ(flagsText(flags), "⚠ 分散度超过100%\n⚠ 脉冲少于2个");
    EXPECT_EQ(flagsText({}), "");
}

TEST(EvaluationFooter, NamesTheTraceAndQuotesSettingsThatHoldCommas) {
    const EvaluationParameter settings[] = {{"基线", "两点直线"}, {"Tm值列表", "Tm1=352, Tm2=498"}, {"峰形", "高斯\"对称\""}};
    EXPECT_EQ(evaluationFooterCsv("ab12", settings),
              "谱图SHA-256,ab12\n"
              "评价参数,值\n"
              "基线,两点直线\n"
              "Tm值列表,\"Tm1=352, Tm2=498\"\n"
              "峰形,\"高斯\"\"对称\"\"\"\n");
    // A trace never saved has no hash to name.
    EXPECT_EQ(evaluationFooterCsv("", {}), "谱图SHA-256,未知\n评价参数,值\n");
}

TEST(StatedUncertaintiesFile, KnownKeysReadBadValuesKeepTheirDefaults) {
    const StatedUncertainties defaults;
    const StatedUncertainties s = parseStatedUncertainties(
        "# the laboratory's figures\n"
        "loop_volume_relative = 0.005\r\n"
        "balance_resolution_g=0.00001  # five-place balance\n"
        "temperature_c = -1\n"       // negative: refused
        "pressure_kpa = 0.2kPa\n"    // not a number: refused
        "flow_relative = nan\n"
        "unknown_key = 3\n");
    EXPECT_DOUBLE_EQ(s.loopVolumeRelative, 0.005);
    EXPECT_DOUBLE_EQ(s.balanceResolutionG, 0.00001);
    EXPECT_DOUBLE_EQ(s.temperatureC, defaults.temperatureC);
    EXPECT_DOUBLE_EQ(s.pressureKPa, defaults.pressureKPa);
    EXPECT_DOUBLE_EQ(s.flowRelative, defaults.flowRelative);
    EXPECT_DOUBLE_EQ(readStatedUncertainties("/nonexistent-folder").loopVolumeRelative, defaults.loopVolumeRelative);
}

}  // namespace
}  // namespace vespian
