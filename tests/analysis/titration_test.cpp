#include "analysis/titration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "analysis/desorption_test.h"
#include "files/test_report.h"

namespace vespian {
namespace {

namespace f = titration_field;
namespace d = desorption_field;

std::map<int32_t, std::string> asMap(const std::vector<FieldText>& texts) {
    std::map<int32_t, std::string> m;
    for (const auto& [id, text] : texts) m[id] = text;
    return m;
}

// The worked example: one pulse of 0.5 ml with area 1000, residual area 2000 (1.0 ml), six
// pulses, platinum, mass fraction 0.01, 1 g of sample.
TestReportHeader workedExample() {
    TestReportHeader h;
    h.pulseArea = 1000.0f;
    h.pulseVolumeMl = 0.5f;
    h.residualArea = 2000.0f;
    h.residualVolumeMl = 1.0f;
    h.pulseCount = 6;
    h.stoichiometry = 0.6667f;
    h.atomicMass = 195.08f;
    h.crossSectionNm2 = 0.089f;
    h.massFraction = 0.01f;
    h.sampleWeightG = 1.0f;
    return h;
}

// What the window does on opening: every field filled, and each filling a change.
void openWindow(TestReportHeader& h) { fillReportForm(titrationForm(), h); }

TEST(Titration, TheWorkedExample) {
    TestReportHeader h = workedExample();
    computeTitration(h);
    EXPECT_FLOAT_EQ(h.adsorbedVolumeMl, 2.0f);
    // 0.6667 × 2.0 × 195.08 / 0.01 / 22414 / 1.0 and 2.0 × 2 × 602000 × 0.089 / 0.01 / 22414 / 1.0
    EXPECT_NEAR(h.dispersion, 1.16053, 1e-5);
    EXPECT_NEAR(h.activeAreaM2g, 956.152, 1e-3);
    const auto results = asMap(titrationResultTexts(h));
    EXPECT_EQ(results.at(f::kAdsorbedVolume), "2.000");
    EXPECT_EQ(results.at(f::kPerGram), "2.000");
    EXPECT_EQ(results.at(f::kDispersion).substr(0, 6), "1.1605");
    EXPECT_EQ(results.at(f::kActiveArea).substr(0, 6), "956.15");
}

TEST(Titration, TheActiveAreaUsesTheFactorTwoWhateverTheStoichiometry) {
    TestReportHeader h = workedExample();
    h.stoichiometry = 1.0f;
    computeTitration(h);
    const float area = h.activeAreaM2g;
    h.stoichiometry = 2.0f;
    computeTitration(h);
    EXPECT_EQ(h.activeAreaM2g, area);
    EXPECT_NEAR(h.dispersion, 2.0 * 2.0 * 195.08 / 0.01 / 22414.0, 1e-4);
}

TEST(Titration, OpeningTakesEachValueBackFromItsText) {
    TestReportHeader h = workedExample();
    h.atomicMass = 195.0801f;
    h.massFraction = 0.01234f;
    h.crossSectionNm2 = 0.08912f;
    h.titrationTempC = 49.6f;
    openWindow(h);
    EXPECT_EQ(h.atomicMass, 195.08f);
    EXPECT_EQ(h.massFraction, 0.0123f);
    EXPECT_EQ(h.crossSectionNm2, 0.0891f);
    EXPECT_EQ(h.titrationTempC, 50.0f);
    EXPECT_EQ(h.pulseArea, 1000.0f);  // shown only: never read back
    EXPECT_NEAR(h.dispersion, 0.6667 * 2.0 * 195.08 / 0.0123 / 22414.0, 1e-3);
}

TEST(Titration, TypedFieldsAreStoredAndTheResultsFollow) {
    TestReportHeader h = workedExample();
    openWindow(h);
    auto results = asMap(titrationFieldChanged(h, f::kPulseCount, "3.9"));
    EXPECT_EQ(h.pulseCount, 3);
    EXPECT_EQ(results.at(f::kAdsorbedVolume), "0.500");  // 3 × 0.5 − 1.0

    results = asMap(titrationFieldChanged(h, f::kPulseCount, "0"));
    EXPECT_FLOAT_EQ(h.adsorbedVolumeMl, -1.0f);
    EXPECT_LT(h.dispersion, 0.0f);
    EXPECT_EQ(results.at(f::kAdsorbedVolume), "-1.000");

    EXPECT_TRUE(titrationFieldChanged(h, f::kDispersion, "5").empty());  // a result is not a field
    EXPECT_TRUE(titrationFieldChanged(h, f::kPulseArea, "5").empty());
    EXPECT_EQ(h.pulseArea, 1000.0f);
    EXPECT_FALSE(isTitrationEditable(f::kResidualVolume));
    EXPECT_TRUE(isTitrationEditable(f::kCrossSection));
}

TEST(Titration, ThePalladiumPresetSetsItsValuesThroughTheFields) {
    TestReportHeader h = workedExample();
    openWindow(h);
    const std::vector<FieldText> preset = metalPresetTexts(1);
    EXPECT_EQ(asMap(preset), (std::map<int32_t, std::string>{
                                 {f::kStoichiometry, "0.6667"}, {f::kCrossSection, "0.084"}, {f::kAtomicMass, "106.420"}}));
    std::map<int32_t, std::string> results;
    for (const auto& [id, text] : preset) results = asMap(titrationFieldChanged(h, id, text));
    EXPECT_EQ(h.stoichiometry, 0.6667f);
    EXPECT_EQ(h.crossSectionNm2, 0.084f);
    EXPECT_EQ(h.atomicMass, 106.42f);
    EXPECT_NEAR(h.dispersion, 0.6667 * 2.0 * 106.42 / 0.01 / 22414.0, 1e-4);
    EXPECT_EQ(results.at(f::kDispersion), std::to_string(h.dispersion));
    EXPECT_EQ(asMap(metalPresetTexts(2)).at(f::kAtomicMass), "102.906");
    EXPECT_TRUE(metalPresetTexts(3).empty());
    EXPECT_TRUE(metalPresetTexts(-1).empty());
}

TEST(Titration, UndefinedResultsShowADashAndNothingFails) {
    TestReportHeader h = workedExample();
    openWindow(h);
    auto results = asMap(titrationFieldChanged(h, f::kWeight, "0"));
    EXPECT_EQ(results.at(f::kDispersion), "—");
    EXPECT_EQ(results.at(f::kActiveArea), "—");
    EXPECT_EQ(results.at(f::kPerGram), "—");
    EXPECT_EQ(results.at(f::kAdsorbedVolume), "2.000");
    titrationFieldChanged(h, f::kWeight, "1");
    results = asMap(titrationFieldChanged(h, f::kMassFraction, ""));
    EXPECT_EQ(results.at(f::kDispersion), "—");
    // Reopening a record holding such values fills the window with dashes, which read back as 0.
    const auto texts = asMap(titrationTexts(h));
    EXPECT_EQ(texts.at(f::kDispersion), "—");
}

TEST(DesorptionTest, TheWorkedExample) {
    TestReportHeader h;
    h.pulseVolumeMl = 0.5f;
    h.pulseArea = 1000.0f;
    h.residualArea = 3000.0f;
    h.sampleWeightG = 0.25f;
    EXPECT_FLOAT_EQ(desorbedTotalMl(h), 1.5f);
    EXPECT_FLOAT_EQ(desorbedPerGram(h), 6.0f);
    const auto results = asMap(desorptionResultTexts(h));
    EXPECT_EQ(results.at(d::kTotal), "1.500");
    EXPECT_EQ(results.at(d::kPerGram), "6.000");
}

TEST(DesorptionTest, TheAreaIsTheWholeNumberItsTextShows) {
    TestReportHeader h;
    h.pulseVolumeMl = 1.0f;
    h.pulseArea = 1000.0f;
    h.residualArea = 1234.6f;
    h.sampleWeightG = 1.0f;
    const auto texts = asMap(fillReportForm(desorptionForm(), h));
    EXPECT_EQ(texts.at(d::kDesorptionArea), "1235");
    EXPECT_EQ(h.residualArea, 1235.0f);
    EXPECT_EQ(texts.at(d::kTotal), "1.235");
    EXPECT_TRUE(desorptionFieldChanged(h, d::kPulseArea, "7").empty());  // shown only
    EXPECT_EQ(h.pulseArea, 1000.0f);
}

TEST(DesorptionTest, AZeroWeightLeavesTheTotalAndChangesTheTitrationToo) {
    TestReportHeader h = workedExample();
    computeTitration(h);
    const float dispersion = h.dispersion;
    auto results = asMap(desorptionFieldChanged(h, d::kWeight, "0.5"));
    EXPECT_FLOAT_EQ(h.dispersion, dispersion * 2.0f);  // the shared weight halves
    EXPECT_EQ(results.at(d::kTotal), "1.000");         // 0.5 / 1000 × 2000
    EXPECT_EQ(results.at(d::kPerGram), "2.000");
    results = asMap(desorptionFieldChanged(h, d::kWeight, "0"));
    EXPECT_EQ(results.at(d::kTotal), "1.000");
    EXPECT_EQ(results.at(d::kPerGram), "—");
    EXPECT_FALSE(std::isfinite(h.dispersion));
    desorptionFieldChanged(h, d::kDesorptionTemp, "350.5");
    EXPECT_EQ(h.titrationTempC, 350.5f);
    desorptionFieldChanged(h, d::kDay, "17.8");
    EXPECT_EQ(h.testDate.day, 17);
}

}  // namespace
}  // namespace vespian
