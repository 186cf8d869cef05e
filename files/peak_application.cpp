#include "files/peak_application.h"

#include <algorithm>

#include "files/test_report.h"
#include "trace/chromatogram.h"
#include "trace/quant_peak.h"

namespace vespian {

ApplyToAction applyToAction(ApplyToButton button, PeakUse use) {
    switch (button) {
        case ApplyToButton::Ok:
            return use == PeakUse::Quantitative ? ApplyToAction::OpenQuantWindow : ApplyToAction::ApplySample;
        case ApplyToButton::ExportText:
            return ApplyToAction::OpenExportDialog;
        case ApplyToButton::Cancel:
            break;
    }
    return ApplyToAction::None;
}

SampleApplication applySampleStretch(TestReport& report, const Chromatogram& trace, int32_t start, int32_t end,
                                     const QuantPeak& quant) {
    start = std::clamp(start, 0, kLastPointIndex);
    end = std::clamp(end, start, kLastPointIndex);
    TestReportHeader& h = report.header();
    copyStretch(trace.signalMv(), report.signalMv(), start, end, kMaxPoints);
    h.reportPointCount = copyStretch(trace.temperatureC(), report.temperatureC(), start, end, kMaxPoints);
    h.pulseArea = quant.area;
    h.pulseVolumeMl = quant.volumeMl;
    h.residualArea = stretchArea(report.signalMv(), 0, h.reportPointCount);
    h.residualVolumeMl = sampleAmount(h.residualArea, h.pulseArea, h.pulseVolumeMl);
    return {h.reportPointCount, h.residualArea, h.residualVolumeMl};
}

}  // namespace vespian
