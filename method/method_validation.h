#pragma once
// Whether a method can be run as it stands: every field within what the analyser and its
// dialogs accept (gases from the gas table, the furnace programme's limits, channels, valves),
// the steps in an order that makes sense (a recording stopped only after it was started, an
// evaluation only of something recorded). Each problem is a message in Chinese naming the step
// and the field, for the editor to show beside it; a method with any of them is not run.
//
// The fields' ranges and units are also what the editor shows beside them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "method/method_file.h"

namespace vespian {

enum class IssueSeverity { Error, Warning };

struct MethodIssue {
    IssueSeverity severity = IssueSeverity::Error;
    int32_t step = 0;     // 1-based; 0 for the method's own fields (name, sample, safety)
    std::string field;    // the file's key ("flow", "segments[2].rate_c_per_min"); empty for the step
    std::string message;  // for the operator, naming step and field
};

// One numeric field of a step: the file's key, the label and unit the editor shows, its range.
struct FieldRange {
    std::string_view key;
    std::string_view label;
    std::string_view unit;
    double min = 0.0;
    double max = 0.0;
    bool whole = false;  // a whole number (the analyser takes no fractions)
};

// The numeric fields of a step with their ranges; for a gas step the flow's range runs up to
// the chosen gas's largest flow (an unknown gas: 0 .. 99). Segment fields are listed once with
// the key of the first segment's field name alone ("target_c").
std::vector<FieldRange> stepFieldRanges(const MethodStep& step);

// Gases a run can be made safe with: nitrogen and the noble gases.
bool isInertGas(std::string_view gasName);
// The gas table index of a name, -1 when the table does not hold it.
int32_t gasIndexOf(std::string_view gasName);

// Every problem, in step order; empty when the method can run.
std::vector<MethodIssue> validateMethod(const MethodFile& method);
bool hasErrors(const std::vector<MethodIssue>& issues);

// The furnace's programme limits, in the method's words.
inline constexpr int32_t kMaxSegmentsPerStep = 10;
inline constexpr size_t kMaxMarkNameBytes = 49;
inline constexpr size_t kMaxSampleNameBytes = 49;

}  // namespace vespian
