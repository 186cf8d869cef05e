#pragma once
// The settings page "识峰参数": the recogniser's thresholds and the automatic desorption
// options as field texts and check marks, read back with every entry checked. A refused entry
// names its field and the range it takes, and nothing is applied.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "trace/init_data.h"

namespace vespian {

enum class PeakField : int32_t {
    MinWidth,
    MaxWidth,
    MinHeight,
    StartSlope,
    EndSlope,
    AdsorptionMinutes,
    DesorbInterval,
    Count,
    None = -1,
};
inline constexpr int32_t kPeakFieldCount = static_cast<int32_t>(PeakField::Count);

struct PeakFieldRule {
    const char* group;  // "峰宽(秒)", or empty
    const char* label;  // "最小:"
    int32_t lowest;
    int32_t highest;
};
// In PeakField order.
const PeakFieldRule& peakFieldRule(PeakField field);

inline constexpr char kAutoDesorbLabel[] = "允许自动脱附";
inline constexpr char kAutoZeroLabel[] = "允许自动调零";
inline constexpr char kDesorbAfterPeakLabel[] = "允许自动识峰后自动脱附";
inline constexpr char kPeakDefaultsLabel[] = "默认值";
inline constexpr char kPeakSettingsPageTitle[] = "识峰参数";

struct PeakSettingsTexts {
    std::array<std::string, kPeakFieldCount> fields;
    bool autoDesorb = false;
    bool autoZero = false;
    bool desorbAfterPeak = false;
};

PeakSettingsTexts peakSettingsTexts(const PeakSettings& settings);

struct PeakSettingsRead {
    PeakField wrong = PeakField::None;  // the first field to correct
    std::string message;                // caption "警告"
    PeakSettings settings;              // valid when ok()
    bool ok() const { return wrong == PeakField::None; }
};
// `current` supplies nothing but is returned unchanged in `settings` when a field is refused.
PeakSettingsRead readPeakSettings(const PeakSettingsTexts& texts, const PeakSettings& current);

// A whole number typed into a field: blanks around it and one sign allowed; anything else
// gives no value.
bool parseWholeNumber(std::string_view text, int32_t* value);

}  // namespace vespian
