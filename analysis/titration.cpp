#include "analysis/titration.h"

#include <algorithm>

#include "analysis/tp_report.h"
#include "files/test_report.h"
#include "platform/decimal_text.h"
#include "platform/gbk_text.h"
#include "platform/printf_text.h"
#include "trace/peak_picture.h"

namespace vespian {

namespace f = titration_field;

void computeTitration(TestReportHeader& h) {
    // float32 throughout, left to right.
    const float adsorbed = static_cast<float>(h.pulseCount) * h.pulseVolumeMl - h.residualVolumeMl;
    h.adsorbedVolumeMl = adsorbed;
    h.dispersion = h.stoichiometry * adsorbed * h.atomicMass / h.massFraction / kMolarVolumeMl / h.sampleWeightG;
    h.activeAreaM2g =
        adsorbed * 2.0f * kAvogadroPerNm2 * h.crossSectionNm2 / h.massFraction / kMolarVolumeMl / h.sampleWeightG;
}

std::vector<FieldText> titrationTexts(const TestReportHeader& h) {
    const CommonReportTexts c = commonReportTexts(h);
    std::vector<FieldText> t = {
        {f::kHeading, c.heading},
        {f::kSampleName, c.sampleName},
        {f::kWeight, c.weight},
        {f::kTester, c.tester},
        {f::kYear, c.year},
        {f::kMonth, c.month},
        {f::kDay, c.day},
        {f::kTitrationTemp, numberText("%.0f", h.titrationTempC)},
        {f::kPulseArea, numberText("%.0f", h.pulseArea)},
        {f::kPulseVolume, numberText("%.3f", h.pulseVolumeMl)},
        {f::kPulseCount, std::to_string(h.pulseCount)},
        {f::kResidualArea, numberText("%.0f", h.residualArea)},
        {f::kResidualVolume, numberText("%.3f", h.residualVolumeMl)},
        {f::kStoichiometry, numberText("%f", h.stoichiometry)},
        {f::kAtomicMass, numberText("%.3f", h.atomicMass)},
        {f::kMassFraction, numberText("%.4f", h.massFraction)},
        {f::kCrossSection, numberText("%.4f", h.crossSectionNm2)},
    };
    for (FieldText& r : titrationResultTexts(h)) t.push_back(std::move(r));
    return t;
}

std::vector<FieldText> titrationResultTexts(const TestReportHeader& h) {
    return {{f::kAdsorbedVolume, numberText("%.3f", h.adsorbedVolumeMl)},
            {f::kDispersion, numberText("%f", h.dispersion)},
            {f::kActiveArea, numberText("%f", h.activeAreaM2g)},
            {f::kPerGram, numberText("%.3f", h.adsorbedVolumeMl / h.sampleWeightG)}};
}

bool isTitrationEditable(int32_t field) {
    switch (field) {
        case f::kHeading:
        case f::kSampleName:
        case f::kWeight:
        case f::kTester:
        case f::kYear:
        case f::kTitrationTemp:
        case f::kPulseCount:
        case f::kAtomicMass:
        case f::kMassFraction:
        case f::kMonth:
        case f::kDay:
        case f::kStoichiometry:
        case f::kCrossSection:
            return true;
        default:
            return false;
    }
}

std::vector<FieldText> titrationFieldChanged(TestReportHeader& h, int32_t field, std::string_view text) {
    const auto decimal = [&] { return static_cast<float>(ReadDecimalField(text)); };
    switch (field) {
        case f::kHeading: storeHeading(text, h); break;
        case f::kSampleName: storeSampleName(text, h); break;
        case f::kWeight: h.sampleWeightG = decimal(); break;
        case f::kTester: storeTester(text, h); break;
        case f::kYear: h.testDate.year = readWholeField(text); break;
        case f::kMonth: h.testDate.month = readWholeField(text); break;
        case f::kDay: h.testDate.day = readWholeField(text); break;
        case f::kTitrationTemp: h.titrationTempC = decimal(); break;
        case f::kPulseCount: h.pulseCount = readWholeField(text); break;
        case f::kAtomicMass: h.atomicMass = decimal(); break;
        case f::kMassFraction: h.massFraction = decimal(); break;
        case f::kStoichiometry: h.stoichiometry = decimal(); break;
        case f::kCrossSection: h.crossSectionNm2 = decimal(); break;
        default: return {};
    }
    computeTitration(h);
    return titrationResultTexts(h);
}

const ReportForm& titrationForm() {
    static constexpr ReportForm form{titrationTexts, titrationFieldChanged, isTitrationEditable, isTitrationEditable};
    return form;
}

std::string_view metalPresetName(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(kMetalPresets.size())) return {};
    return metalConstants(kMetalPresets[static_cast<size_t>(index)].metal).name;
}

std::vector<FieldText> metalPresetTexts(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(kMetalPresets.size())) return {};
    const MetalPreset& m = kMetalPresets[static_cast<size_t>(index)];
    return {{f::kStoichiometry, printfText("%.4f", static_cast<double>(m.stoichiometry))},
            {f::kCrossSection, printfText("%.3f", static_cast<double>(m.crossSectionNm2))},
            {f::kAtomicMass, printfText("%3.3f", static_cast<double>(m.atomicMass))}};
}

DrawList reportTraceChart(const TestReport& report) {
    DrawList list;
    addChartBackground(list);
    const int32_t count = std::clamp(report.header().reportPointCount, 0, kLastPointIndex);
    if (count <= 0) return list;
    const float* signal = report.signalMv();
    float lo = 90000.0f;
    float hi = -90000.0f;
    for (int32_t i = 0; i < count; ++i) {
        lo = std::min(lo, signal[i]);
        hi = std::max(hi, signal[i]);
    }
    PolylineBuilder line;
    for (int32_t i = 0; i < count; ++i) {
        const auto x = static_cast<int32_t>(static_cast<float>(i) / static_cast<float>(count) *
                                            static_cast<float>(kReportChartWidth));
        line.add({x, kReportChartHeight -
                         scaledDepth(signal[i], lo, hi - lo, static_cast<float>(kReportChartSignalSpan))});
    }
    list.add(DrawPolyline{line.finish(), kSignalColour});
    return list;
}

}  // namespace vespian
