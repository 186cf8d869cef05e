#pragma once
// "应用于...": what a stretch picked by hand is used for. "定量" makes it the quantitative peak
// (the window "表面积数据属性" takes it); "样品" copies it into the test report as the sample
// trace and quantifies it against the quantitative peak; "导出为文本" exports it as text.

#include <cstdint>

namespace vespian {

class Chromatogram;
class QuantPeak;
class TestReport;

enum class PeakUse { Quantitative, Sample };
enum class ApplyToButton { Ok, Cancel, ExportText };

// What the dialog's buttons lead to.
enum class ApplyToAction { None, OpenQuantWindow, ApplySample, OpenExportDialog };
ApplyToAction applyToAction(ApplyToButton button, PeakUse use);

struct SampleApplication {
    int32_t reportPointCount = 0;  // the copied points are 0 .. this
    float area = 0.0f;             // residualArea
    float amountMl = 0.0f;         // residualVolumeMl
};

// "样品": the signal and temperature of trace[start .. end] go into the report's arrays; the
// point count is end − start; the calibration pulse's area and volume are those of the
// quantitative peak; the sample area is the stretch area of the copied signal and its amount
// sampleAmount(area, pulse area, pulse volume) (0 when the quantitative area is 0). The Tm
// list and every other field stay.
SampleApplication applySampleStretch(TestReport& report, const Chromatogram& trace, int32_t start, int32_t end,
                                     const QuantPeak& quant);

}  // namespace vespian
