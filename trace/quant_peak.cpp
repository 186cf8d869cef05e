#include "trace/quant_peak.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include "platform/decimal_text.h"
#include "platform/printf_text.h"
#include "trace/chromatogram.h"
#include "trace/peak_detector.h"
#include "trace/peak_table.h"

namespace vespian {

void QuantPeak::FreeDeleter::operator()(float* p) const { std::free(p); }

QuantPeak::QuantPeak() {
    void* memory = std::calloc(static_cast<size_t>(kQuantPeakPoints), sizeof(float));
    if (memory == nullptr) throw std::bad_alloc();
    trace_.reset(static_cast<float*>(memory));
}

void QuantPeak::take(const float* signalMv, int32_t start, int32_t end) {
    area = stretchArea(signalMv, start, end);
    const int32_t last = copyStretch(signalMv, trace_.get(), start, end, kQuantPeakPoints);
    lastIndex = last < kQuantPeakPoints ? last : kQuantPeakPoints - 1;
}

float sampleAmount(float sampleArea, float quantArea, float quantVolumeMl) {
    if (quantArea == 0.0f) return 0.0f;
    const float amount = sampleArea / quantArea * quantVolumeMl;
    return std::isfinite(amount) ? amount : 0.0f;
}

QuantWindowTexts quantWindowTexts(const QuantPeak& quant) {
    return {numberText("%.3f", quant.volumeMl), numberText("%.0f", quant.area), kStretchAreaUnit};
}

QuantWindowTexts quantWindowTexts(const QuantPeak& quant, int32_t recognisedArea) {
    return {numberText("%.3f", quant.volumeMl), printfText("%d", recognisedArea), kPeakAreaUnit};
}

void closeQuantWindow(QuantPeak& quant, std::string_view volumeText) {
    quant.volumeMl = static_cast<float>(ReadDecimalField(volumeText));
}

void closeHandedOverQuantWindow(PeakTable& table) { table.clear(); }

}  // namespace vespian
