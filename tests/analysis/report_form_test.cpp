#include "analysis/report_form.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "analysis/desorption_test.h"
#include "analysis/titration.h"
#include "analysis/tp_report.h"
#include "files/test_report.h"
#include "platform/gbk_text.h"

namespace vespian {
namespace {

namespace d = desorption_field;
namespace t = titration_field;

// A record with more digits than any field shows.
TestReportHeader manyDigits() {
    TestReportHeader h;
    writeGbkField(h.sampleName, "Pd/C");
    h.sampleWeightG = 0.123456f;
    h.upperTempC = 799.6f;
    h.titrationTempC = 49.6f;
    h.pulseArea = 2000.0f;
    h.pulseVolumeMl = 1.0f;
    h.residualArea = 1234.6f;
    h.residualVolumeMl = 0.6173f;
    h.pulseCount = 7;
    h.stoichiometry = 0.66666666f;
    h.atomicMass = 106.42049f;
    h.massFraction = 0.0123456f;
    h.crossSectionNm2 = 0.0841234f;
    return h;
}

TEST(ReportForm, FillingStoresEveryFieldThatTakesItsTextBackAsItShows) {
    // Desorption: the area as shown, 1235; the total from it, 1.0 / 2000 × 1235 = 0.6175 (not
    // the 0.6173 of the stored 1234.6).
    TestReportHeader h = manyDigits();
    const std::string total = fieldText(fillReportForm(desorptionForm(), h), d::kTotal);
    EXPECT_EQ(h.residualArea, 1235.0f);
    EXPECT_EQ(h.sampleWeightG, 0.1235f);
    EXPECT_EQ(total, "0.618");
    EXPECT_FLOAT_EQ(desorbedTotalMl(h), 0.6175f);
    // A second filling changes nothing more: every text reads back as itself.
    const TestReportHeader once = h;
    fillReportForm(desorptionForm(), h);
    EXPECT_EQ(std::memcmp(&once, &h, sizeof h), 0);

    // Titration: the metal's values to their shown digits, the results from them.
    h = manyDigits();
    const std::vector<FieldText> texts = fillReportForm(titrationForm(), h);
    EXPECT_EQ(h.atomicMass, 106.420f);
    EXPECT_EQ(h.massFraction, 0.0123f);
    EXPECT_EQ(h.crossSectionNm2, 0.0841f);
    EXPECT_EQ(h.stoichiometry, 0.666667f);
    EXPECT_EQ(h.residualArea, 1234.6f);  // shown only in this window
    TestReportHeader computed = h;
    computeTitration(computed);
    EXPECT_EQ(h.dispersion, computed.dispersion);
    EXPECT_EQ(fieldText(texts, t::kDispersion), fieldText(titrationResultTexts(computed), t::kDispersion));

    // The temperature-programmed window stores nothing until it reads back.
    h = manyDigits();
    const TestReportHeader before = h;
    fillReportForm(tpReportForm(), h);
    EXPECT_EQ(std::memcmp(&before, &h, sizeof h), 0);
}

TEST(ReportForm, ReadingBackStoresTheTypedFieldsOnly) {
    TestReportHeader h = manyDigits();
    fillReportForm(desorptionForm(), h);
    const std::map<int32_t, std::string> typed = {{d::kWeight, "0.5"},       {d::kSampleName, "新样品"},
                                                  {d::kDesorptionArea, "9"}, {d::kDesorptionTemp, "300"},
                                                  {d::kYear, "2024"}};
    readBackReportForm(desorptionForm(), h, [&](int32_t field) {
        const auto it = typed.find(field);
        return it != typed.end() ? it->second : std::string();
    });
    EXPECT_EQ(h.sampleWeightG, 0.5f);
    EXPECT_EQ(readGbkField(h.sampleName), "新样品");
    EXPECT_EQ(h.titrationTempC, 300.0f);
    EXPECT_EQ(h.residualArea, 1235.0f);  // not typed in this window
    EXPECT_EQ(h.atomicMass, 106.42049f);  // the titration's fields stay
}

TEST(ReportForm, TheShownRecordIsTheOneAWindowPrints) {
    // Opened and read back: what the window shows, prints and saves.
    const TestReportHeader raw = manyDigits();
    const TestReportHeader tp = shownReportHeader(tpReportForm(), raw);
    EXPECT_EQ(tp.sampleWeightG, 0.1235f);
    EXPECT_EQ(tp.upperTempC, 800.0f);
    EXPECT_EQ(tp.titrationTempC, 49.6f);  // not a field of this window
    TestReportHeader titration = raw;
    fillReportForm(titrationForm(), titration);
    const TestReportHeader shown = shownReportHeader(titrationForm(), raw);
    EXPECT_EQ(std::memcmp(&shown, &titration, sizeof shown), 0);
}

}  // namespace
}  // namespace vespian
