#pragma once
// Adsorbed-amount calibration ("标定吸附量"): before each BET point a known loop volume of gas
// is injected; its recognised peak is recorded, with the flows and pressures of the moment,
// in the BET record under construction (the report table's slot at index count), and the
// following adsorption peak is converted by the ratio of the two areas (analysis/bet.h).
//
// The dialog's rules: what it shows when it opens, what "确定" stores, and that every way of
// closing it empties the peak table so the next peak is again its first record.

#include <cstdint>
#include <string>

#include "files/record_database_layout.h"
#include "platform/prompts.h"

namespace vespian {

struct PeakTable;

inline constexpr char kLoopVolumeText[] = "请输入一个正确的定量管体积!";
inline constexpr char kCalibrationsFullText[] = "本次BET测定已有10个测量点,不能再标定吸附量!";

struct CalibrationTexts {
    std::string number;              // 1006 "编  号："
    std::string peakArea;            // 1007 "峰面积:"
    std::string volume;              // 1008 "体积[ml]："
    std::string n2Flow;              // 1009 "N2流量[ml/min]:"
    std::string heFlow;              // 1010 "He流量[ml/min]:"
    std::string p0;                  // 1011 "N2饱和蒸气压[KPa]:"
    std::string n2Temperature;       // 1012 "N2温度[C]:"
    std::string adsorptionPressure;  // 1013 "吸附压力[KPa]:"
};

struct CalibrationOpening {
    bool open = false;      // false: show `message` instead of the dialog
    PromptMessage message;
    CalibrationTexts texts;
};

// Opening the dialog for the first peak of the table. A record without a loop volume starts
// from the defaults; the flows of the previous point are offered for this one. Refused when
// the report table is full or the record already holds ten points.
CalibrationOpening openCalibration(ReportTable& reports, int32_t peakArea, const BetCalibrationDefaults& defaults);

// The operator's entries, as typed.
struct CalibrationEntries {
    std::string volume;
    std::string n2Flow;
    std::string heFlow;
    std::string p0;
    std::string n2Temperature;
    std::string adsorptionPressure;
};

struct CalibrationAccept {
    bool close = false;     // false: the dialog stays open and `message` is shown
    PromptMessage message;
};

// "确定": stores the entries and the peak's area as calibration k = point_count, counts it,
// and empties the peak table. A loop volume that is not above 0 stores nothing.
CalibrationAccept acceptCalibration(ReportTable& reports, PeakTable& peaks, int32_t peakArea,
                                    const CalibrationEntries& entries);

// "取消" and the close box: nothing stored, the peak table emptied.
void cancelCalibration(PeakTable& peaks);

}  // namespace vespian
