#include "analysis/desorption_test.h"

#include "analysis/tp_report.h"
#include "files/test_report.h"
#include "platform/decimal_text.h"
#include "platform/printf_text.h"

namespace vespian {

namespace d = desorption_field;

float desorbedTotalMl(const TestReportHeader& h) { return h.pulseVolumeMl / h.pulseArea * h.residualArea; }

float desorbedPerGram(const TestReportHeader& h) {
    return h.pulseVolumeMl / h.pulseArea * h.residualArea / h.sampleWeightG;
}

std::vector<FieldText> desorptionTexts(const TestReportHeader& h) {
    const CommonReportTexts c = commonReportTexts(h);
    return {{d::kHeading, c.heading},
            {d::kSampleName, c.sampleName},
            {d::kWeight, c.weight},
            {d::kTester, c.tester},
            {d::kYear, c.year},
            {d::kMonth, c.month},
            {d::kDay, c.day},
            {d::kDesorptionTemp, numberText("%.0f", h.titrationTempC)},
            {d::kPulseArea, numberText("%.0f", h.pulseArea)},
            {d::kPulseVolume, numberText("%.3f", h.pulseVolumeMl)},
            {d::kDesorptionArea, numberText("%.0f", h.residualArea)}};
}

std::vector<FieldText> desorptionResultTexts(const TestReportHeader& h) {
    return {{d::kTotal, numberText("%.3f", desorbedTotalMl(h))}, {d::kPerGram, numberText("%.3f", desorbedPerGram(h))}};
}

namespace {

bool desorptionEditable(int32_t field) {
    switch (field) {
        case d::kHeading:
        case d::kSampleName:
        case d::kWeight:
        case d::kTester:
        case d::kYear:
        case d::kMonth:
        case d::kDay:
        case d::kDesorptionTemp: return true;
        default: return false;
    }
}

bool desorptionTakesTextBack(int32_t field) { return desorptionEditable(field) || field == d::kDesorptionArea; }

std::vector<FieldText> desorptionFormTexts(const TestReportHeader& h) {
    std::vector<FieldText> texts = desorptionTexts(h);
    for (FieldText& r : desorptionResultTexts(h)) texts.push_back(std::move(r));
    return texts;
}

}  // namespace

const ReportForm& desorptionForm() {
    static constexpr ReportForm form{desorptionFormTexts, desorptionFieldChanged, desorptionEditable,
                                     desorptionTakesTextBack};
    return form;
}

std::vector<FieldText> desorptionFieldChanged(TestReportHeader& h, int32_t field, std::string_view text) {
    switch (field) {
        case d::kHeading: storeHeading(text, h); break;
        case d::kSampleName: storeSampleName(text, h); break;
        case d::kWeight: h.sampleWeightG = static_cast<float>(ReadDecimalField(text)); break;
        case d::kTester: storeTester(text, h); break;
        case d::kYear: h.testDate.year = readWholeField(text); break;
        case d::kMonth: h.testDate.month = readWholeField(text); break;
        case d::kDay: h.testDate.day = readWholeField(text); break;
        case d::kDesorptionTemp: h.titrationTempC = static_cast<float>(ReadDecimalField(text)); break;
        case d::kDesorptionArea: h.residualArea = static_cast<float>(readWholeField(text)); break;
        default: return {};
    }
    computeTitration(h);
    return desorptionResultTexts(h);
}

}  // namespace vespian
