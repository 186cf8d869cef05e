#pragma once
// The quantitative peak ("定量峰"): a stretch of the trace whose gas volume the operator enters.
// Its area turns any other peak area into millilitres by proportion. One for the whole run; its
// copy of the stretch (at most 1,000,000 points) is allocated once.
//
// The window "表面积数据属性" shows it: volume "%.3f" (editable), area "%.0f", and the small
// picture. "关闭(&C)" reads the volume back; the close box keeps the old one.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vespian {

struct PeakTable;

inline constexpr int32_t kQuantPeakPoints = 1'000'000;

class QuantPeak {
public:
    QuantPeak();
    QuantPeak(const QuantPeak&) = delete;
    QuantPeak& operator=(const QuantPeak&) = delete;

    // Takes signalMv[start .. end] (start ≤ end): area = stretchArea of the stretch, the trace
    // a copy of it. A stretch longer than the copy holds keeps its full area, and lastIndex
    // names the last value actually held (at most 999,999), so nothing reads past the copy.
    void take(const float* signalMv, int32_t start, int32_t end);

    float volumeMl = 0.0f;  // entered by the operator
    float area = 0.0f;      // stretchArea of the stretch, mV × points
    int32_t lastIndex = 0;  // the copy holds lastIndex + 1 values

    float* trace() { return trace_.get(); }
    const float* trace() const { return trace_.get(); }

private:
    struct FreeDeleter {
        void operator()(float* p) const;
    };
    std::unique_ptr<float[], FreeDeleter> trace_;
};

// sampleArea / quantArea × quantVolume in float32; 0 when the quantitative area is 0 or the
// result is not a finite number.
float sampleAmount(float sampleArea, float quantArea, float quantVolumeMl);

// The unit of a stretch's area: the sum of its mV values, a point lasting a fifth of a second.
inline constexpr char kStretchAreaUnit[] = "×200uV·s";

// One peak shows one area wherever it appears. A picked stretch shows its own area ("%.0f"); a
// peak the recogniser handed over shows the recogniser's area ("%d"), the figure the store
// dialog, the calibration and point dialogs and the record lists show for it. Each with its
// unit.
struct QuantWindowTexts {
    std::string volume;  // "%.3f"
    std::string area;
    std::string areaUnit;
};
QuantWindowTexts quantWindowTexts(const QuantPeak& quant);
QuantWindowTexts quantWindowTexts(const QuantPeak& quant, int32_t recognisedArea);

// "关闭(&C)": the volume field read with ReadDecimalField.
void closeQuantWindow(QuantPeak& quant, std::string_view volumeText);

// The window a recognised peak opened (comparison method) empties the peak table when it is
// closed either way, as the "buffer full" warning tells the operator; the window opened for a
// manual pick leaves the table alone.
void closeHandedOverQuantWindow(PeakTable& table);

}  // namespace vespian
