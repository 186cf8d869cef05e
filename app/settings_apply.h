#pragma once
// What the settings dialog's OK does, as core rules: the range fields read and checked (a
// refused entry names its field and its range, and nothing is applied), the colours taken into
// the trace view, the ranges taken into the trace view with the list widths recomputed and the
// first 200 bytes of ZEvid.ini written anew.

#include <cstdint>
#include <string>
#include <string_view>

#include "trace/init_data.h"
#include "app/zevid_file.h"
#include "platform/pixel_surface.h"
#include "trace/trace_view.h"

namespace vespian {

// Ranges the trace view can draw: at least one second and one whole millivolt of ±range (500 µV);
// at most the whole trace (10,000,000 points at 5 per second) and 10 V.
inline constexpr int32_t kMinTimeRangeS = 1;
inline constexpr int32_t kMaxTimeRangeS = 2'000'000;
inline constexpr int32_t kMinVoltRangeUv = 500;
inline constexpr int32_t kMaxVoltRangeUv = 10'000'000;

// The operator's entry in a range field: a signed whole number (blanks around it allowed), 0 when
// it is anything else, as the program has always read these fields.
int32_t readSignedField(std::string_view text);

enum class RangeField { None, Time, Voltage };
struct RangeCheck {
    RangeField wrong = RangeField::None;  // the field to correct (the first wrong one)
    std::string message;                  // caption "警告"
    bool ok() const { return wrong == RangeField::None; }
};
RangeCheck checkDisplayRanges(int32_t timeRangeS, int32_t voltRangeUv);

// The note under the fields: the ranges accepted.
std::string displayRangesNote();

// The colour page's apply.
void applyDisplayColours(TraceView& view, StoredColour background, StoredColour line);

// The window page's apply: the ranges into the view, both lists' total widths recomputed,
// ZEvid.ini created anew with the display and column blocks (200 bytes; the exit writes all
// 216), the second list scroll position back to 0. Returns whether ZEvid.ini was written (a
// failure is not reported here: the exit-time write reports it).
bool applyDisplayRanges(TraceView& view, ZEvidRecord& zevid, Settings& settings, const std::string& zevidPath,
                        int32_t timeRangeS, int32_t voltRangeUv);

}  // namespace vespian
